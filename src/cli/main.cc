// skerrow-batch: the window's Add and Process, run from the command line.
#include <iostream>

#include "app/main_form.h"
#include "cli/batch_options.h"
#include "cli/headless_toolkit.h"
#include "platform/error.h"
#include "platform/paths.h"

int main(int argc, char** argv) {
  using namespace skerrow;
  const TParsedOptions parsed = ParseBatchOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Options) {
    std::cerr << "skerrow-batch: " << parsed.UsageError << "\n"
              << "Usage: skerrow-batch --out DIR [--kind dat|trc|lst|log] FILE...\n"
              << "Try 'skerrow-batch --help' for more.\n";
    return 2;
  }
  const TBatchOptions& options = *parsed.Options;
  if (options.Help) {
    std::cout << kBatchUsage;
    return 0;
  }
  if (options.Version) {
    std::cout << "skerrow-batch " << SKERROW_VERSION << "\n";
    return 0;
  }

  // The dialogs hand over full paths.
  std::vector<std::string> files;
  for (const auto& file : options.Files) files.push_back(AbsolutePath(file));
  THeadlessToolkit toolkit(files, options.FilterPosition, AbsolutePath(options.OutputDir));
  THeadlessToolkit::InstallInterruptHandler();

  TMainForm form(toolkit);
  toolkit.Attach(&form);
  form.FormCreate();
  if (form.Invoke(&TMainForm::BAddLogClick)) form.Invoke(&TMainForm::BProcessClick);
  form.FormDestroy();
  return toolkit.ErrorShown() ? 1 : 0;
}
