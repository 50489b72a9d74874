#include "cli/batch_options.h"

#include "app/format_table.h"
#include "platform/paths.h"
#include "platform/text_lines.h"

namespace skerrow {

const char* const kBatchUsage =
    "Usage: skerrow-batch --out DIR [--kind dat|trc|lst|log] FILE...\n"
    "\n"
    "Runs what the Skerrow window does for a list of input files of one kind: Add them, then\n"
    "Process into the output folder DIR (created with its parents when missing).\n"
    "\n"
    "  dat  packages: every entry to a file of its own, and DIR/result.log\n"
    "  trc  block description files: the executable's text to DIR, and DIR/result.log\n"
    "  log  result logs: rebuild the packages into DIR, or insert the edited text\n"
    "  lst  a project list: replay every result log it names\n"
    "\n"
    "Without --kind the kind comes from the files' extensions, which must agree.\n"
    "Ctrl-C stops after the file in hand (the result log still lists what was finished);\n"
    "a second Ctrl-C ends the program at once.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Exit status: 0 done, 1 an error (shown on stderr), 2 a usage error.\n";

namespace {

// The filter position that a kind name or an extension names, or 0.
int FilterPositionOfKind(const std::string& kind) {
  static const struct {
    const char* name;
    uint8_t code;
  } kKinds[] = {
      {"dat", kFormatPackage}, {"trc", kFormatText}, {"lst", kFormatList}, {"log", kFormatLog}};
  for (const auto& k : kKinds) {
    if (SameText(kind, k.name)) return FilterPositionOfFormat(k.code);
  }
  return 0;
}

}  // namespace

TParsedOptions ParseBatchOptions(const std::vector<std::string>& args) {
  TBatchOptions options;
  bool out_given = false;
  bool only_files = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (only_files || arg.empty() || arg[0] != '-' || arg == "-") {
      options.Files.push_back(arg);
    } else if (arg == "--") {
      only_files = true;
    } else if (arg == "--help" || arg == "-h") {
      options.Help = true;
    } else if (arg == "--version") {
      options.Version = true;
    } else if (arg == "--out" || arg == "--kind" || arg.rfind("--out=", 0) == 0 ||
               arg.rfind("--kind=", 0) == 0) {
      std::string value;
      const size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return {std::nullopt, arg + " needs a value"};
      }
      if (arg.rfind("--out", 0) == 0) {
        if (value.empty()) return {std::nullopt, "--out needs a folder"};
        options.OutputDir = value;
        out_given = true;
      } else {
        options.FilterPosition = FilterPositionOfKind(value);
        if (options.FilterPosition == 0) {
          return {std::nullopt, "unknown kind '" + value + "' (dat, trc, lst or log)"};
        }
      }
    } else {
      return {std::nullopt, "unknown option " + arg};
    }
  }
  if (options.Help || options.Version) return {options, ""};
  if (!out_given) return {std::nullopt, "no output folder: give --out DIR"};
  if (options.Files.empty()) return {std::nullopt, "no input files"};
  if (options.FilterPosition == 0) {
    for (const auto& file : options.Files) {
      const std::string ext = ExtractExt(file);
      const int position = FilterPositionOfKind(ext.empty() ? ext : ext.substr(1));
      if (position == 0) {
        return {std::nullopt, "cannot tell the kind of " + file + ": give --kind"};
      }
      if (options.FilterPosition != 0 && position != options.FilterPosition) {
        return {std::nullopt, "the files are of different kinds: give --kind"};
      }
      options.FilterPosition = position;
    }
  }
  return {options, ""};
}

}  // namespace skerrow
