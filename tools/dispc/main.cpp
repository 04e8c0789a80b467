// dispc: the display core from the command line.
//
// Exit status: 0 success, 1 a check of the demo or the dump failed or a footprint of a
// directory was refused, 2 an error (the
// exception is reported on one line of standard error), or a usage error.
#include "commands.h"

#include "zfound/exception.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <map>
#include <new>
#include <string>

namespace {

// One printable line, whatever the text holds: messages may quote bytes read from a
// damaged file.
std::string oneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

int report(const std::string& text) {
  std::fflush(stdout);
  std::cerr << "dispc: " << oneLine(text) << std::endl;
  return 2;
}

// A usage error in the form of the other errors, with CLI11's class and exit code.
int usage(const std::string& name, int code, const std::string& message) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(code));
  return report("CLI::" + name + " (error 0x" + hex + "): " + message + " (run with --help)");
}

// "640x480" into width and height; CLI11 reports anything else as a usage error.
std::string parseSize(const std::string& text, long& width, long& height) {
  const std::size_t x = text.find('x');
  auto number = [](const std::string& digits, long& out) {
    if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
      return false;
    out = std::stol(digits);
    return out > 0;
  };
  if (x == std::string::npos || !number(text.substr(0, x), width) || !number(text.substr(x + 1), height))
    return "expected WIDTHxHEIGHT with positive whole numbers, such as 640x480";
  return std::string();
}

// A positive finite number into `out`, else the reason it is refused.
CLI::Validator positiveNumber(double& out, const char* meaning) {
  return CLI::Validator(
      [&out, meaning](std::string& text) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || end != text.c_str() + text.size() || std::isnan(value))
          return "'" + text + "' is not a number";
        if (!std::isfinite(value) || value <= 0)
          return "'" + text + "' must be positive and finite: it is " + meaning;
        out = value;
        return std::string();
      },
      "NUMBER > 0");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"dispc: colors, properties, sketches and SMD bodies of the display core"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "dispc " DISPC_VERSION);

  std::string demoDir = "out";
  CLI::App* demo = app.add_subcommand("demo", "build, archive, render and check a demonstration scene");
  demo->add_option("-o,--output", demoDir, "directory for the files written")->capture_default_str();

  zcRenderRequest render;
  std::string size = "640x480";
  CLI::App* renderCmd =
      app.add_subcommand("render", "replay a sketch archive onto a screen and write it as PNG, SVG or PDF");
  renderCmd->add_option("SKETCH", render.sketch, "the sketch archive ('-' or /dev/stdin: standard input)")
      ->required();
  renderCmd->add_option("-o,--output", render.output,
                        "the file to write: .svg or .pdf for vector output, else PNG (default: SKETCH with .png)");
  renderCmd->add_option("--size", size, "screen size WxH")
      ->capture_default_str()
      ->check(CLI::Validator(
          [&](std::string& text) { return parseSize(text, render.width, render.height); }, "WxH"));
  renderCmd->add_option("--background", render.background, "a PNG loaded into the image layer first");
  std::string scale = "1";
  renderCmd
      ->add_option("--scale", scale,
                   "exact scale factor of the tablet on both axes: it scales what is given in client coordinates "
                   "(shapes, points, text and image positions); operations given in pixel coordinates (pixel "
                   "rectangles, pixel-relative strokes), pen widths and font sizes stay as they are")
      ->capture_default_str()
      ->check(positiveNumber(render.scale, "the factor by which client coordinates are scaled"));
  std::string megapixels = "256";
  renderCmd
      ->add_option("--max-megapixels", megapixels,
                   "the largest screen made, in millions of pels per layer (4 bytes a pel, two layers); a larger "
                   "--size is refused with the memory it would need")
      ->capture_default_str()
      ->check(positiveNumber(render.maxMegapixels, "a number of millions of pels"));
  const std::map<std::string, zcUITablet::Layers> layerNames = {
      {"image", zcUITablet::eImage}, {"overlay", zcUITablet::eOverlay}, {"both", zcUITablet::eBothLayers}};
  std::string layer = "both";
  renderCmd
      ->add_option("--layer", layer,
                   "the layers replayed: image, overlay or both. Each operation paints on the layer it was recorded "
                   "for, as the tablet replays a sketch: with 'both', operations recorded for both layers paint "
                   "nothing; with 'image' or 'overlay', they paint on that layer")
      ->capture_default_str()
      ->check(CLI::IsMember({"image", "overlay", "both"}));

  std::string dumpPath;
  CLI::App* dump = app.add_subcommand("dump", "list the operations of a sketch archive");
  dump->add_option("SKETCH", dumpPath, "the sketch archive ('-' or /dev/stdin: standard input)")->required();

  zcImportRequest import;
  CLI::App* importCmd = app.add_subcommand(
      "import-footprint", "import the fabrication outline of a footprint file (or a .pretty directory) as an SMD model");
  importCmd->add_option("FOOTPRINT", import.footprint, "a .kicad_mod file, or a directory of them")->required();
  importCmd->add_option("-o,--output", import.output, "the model archive to write (for a directory: a directory)")
      ->required();
  importCmd->add_option("--png", import.png,
                        "also draw the model: its synthetic image, wireframe and direction arrows (for a directory: "
                        "a directory)");
  importCmd->add_flag("--pads", import.pads, "SMD pads become polys too");

  std::string listPath, exportOutput, recordsPath, importOutput;
  CLI::App* exportCmd = app.add_subcommand("export", "print the graphics-list records of a graphic list archive");
  exportCmd->add_option("LIST", listPath, "the graphic list archive")->required();
  exportCmd->add_option("-o,--output", exportOutput, "write the records to this file");
  CLI::App* recordsCmd = app.add_subcommand("import", "list the graphics of a graphics-list records file");
  recordsCmd->add_option("FILE", recordsPath, "the records file, as export -o writes it")->required();
  recordsCmd->add_option("-o,--output", importOutput, "draw the records into this PNG");

  // A first word that names no subcommand is named back (CLI11 would only say that
  // a subcommand is required).
  if (argc > 1 && argv[1][0] != '-') {
    std::string known;
    bool found = false;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
      known += (known.empty() ? "" : ", ") + sub->get_name();
      found = found || sub->get_name() == argv[1];
    }
    if (!found)
      return usage("ExtrasError", static_cast<int>(CLI::ExitCodes::ExtrasError),
                   std::string("'") + argv[1] + "' is not a subcommand; the subcommands are " + known);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version requests print as CLI11 does; usage errors take one line, in
    // the form of the other errors, with CLI11's class and exit code.
    if (e.get_exit_code() == 0) return app.exit(e);
    return usage(e.get_name(), e.get_exit_code(), e.what());
  }

  try {
    if (*demo) return zfRunDemo(demoDir);
    if (*renderCmd) {
      render.layers = layerNames.at(layer);
      return zfRunRender(render);
    }
    if (*dump) return zfRunDump(dumpPath);
    if (*importCmd) return zfRunImportFootprint(import);
    if (*exportCmd) return zfRunExport(listPath, exportOutput);
    if (*recordsCmd) return zfRunImport(recordsPath, importOutput);
  } catch (const zcException& e) {
    return report(e.what());
  } catch (const std::bad_alloc&) {
    return report("std::bad_alloc: out of memory");
  } catch (const std::exception& e) {
    return report(e.what());
  }
  return 2;
}
