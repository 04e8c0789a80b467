// dispc: the display core from the command line.
#include "commands.h"

#include "zfound/exception.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv) {
  CLI::App app{"dispc: colors, properties, sketches and SMD bodies of the display core"};
  app.require_subcommand(1);

  std::string demoDir = "out";
  CLI::App* demo = app.add_subcommand("demo", "build, archive and check a demonstration scene");
  demo->add_option("-o,--output", demoDir, "directory for the files written")->capture_default_str();

  CLI11_PARSE(app, argc, argv);
  try {
    if (*demo) return zfRunDemo(demoDir);
  } catch (const zcException& e) {
    std::cerr << "dispc: " << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "dispc: " << e.what() << '\n';
    return 2;
  }
  return 1;
}
