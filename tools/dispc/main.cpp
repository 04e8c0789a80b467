// dispc: the display core from the command line.
//
// Exit status: 0 success, 1 a check of the demo or the dump failed, 2 an error (the
// exception is reported on one line of standard error), or a usage error.
#include "commands.h"

#include "zfound/exception.h"

#include <CLI/CLI.hpp>

#include <cstdio>
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
  CLI::App* renderCmd = app.add_subcommand("render", "replay a sketch archive onto a screen and write it as PNG");
  renderCmd->add_option("SKETCH", render.sketch, "the sketch archive")->required();
  renderCmd->add_option("-o,--output", render.output, "the PNG to write (default: SKETCH with .png)");
  renderCmd->add_option("--size", size, "screen size WxH")
      ->capture_default_str()
      ->check(CLI::Validator(
          [&](std::string& text) { return parseSize(text, render.width, render.height); }, "WxH"));
  renderCmd->add_option("--background", render.background, "a PNG loaded into the image layer first");
  renderCmd->add_option("--scale", render.scale, "exact scale factor of the tablet")->capture_default_str();
  const std::map<std::string, zcUITablet::Layers> layerNames = {
      {"image", zcUITablet::eImage}, {"overlay", zcUITablet::eOverlay}, {"both", zcUITablet::eBothLayers}};
  std::string layer = "both";
  renderCmd->add_option("--layer", layer, "the layers replayed: image, overlay or both")
      ->capture_default_str()
      ->check(CLI::IsMember({"image", "overlay", "both"}));

  std::string dumpPath;
  CLI::App* dump = app.add_subcommand("dump", "list the operations of a sketch archive");
  dump->add_option("SKETCH", dumpPath, "the sketch archive")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version requests print as CLI11 does; usage errors take one line.
    if (e.get_exit_code() == 0) return app.exit(e);
    return report(std::string(e.what()) + " (run with --help)");
  }

  try {
    if (*demo) return zfRunDemo(demoDir);
    if (*renderCmd) {
      render.layers = layerNames.at(layer);
      return zfRunRender(render);
    }
    if (*dump) return zfRunDump(dumpPath);
  } catch (const zcException& e) {
    return report(e.what());
  } catch (const std::bad_alloc&) {
    return report("std::bad_alloc: out of memory");
  } catch (const std::exception& e) {
    return report(e.what());
  }
  return 2;
}
