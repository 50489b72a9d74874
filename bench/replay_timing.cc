// skerrow-replay-timing: replays result logs exactly as skerrow-batch does, and tells how the
// time divides between the replay itself (loading the log, walking its lines, opening the
// sources, the status line) and the format handlers it calls (the rebuilds).
//
//   skerrow-replay-timing --out DIR [--kind KIND] FILE...   (the options of skerrow-batch)
//
// Prints one line: "total <seconds> handlers <seconds> calls <n>".
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/handler_set.h"
#include "app/main_form.h"
#include "cli/batch_options.h"
#include "cli/headless_toolkit.h"
#include "platform/paths.h"

namespace {

using Clock = std::chrono::steady_clock;

// Forwards to the real handlers and adds up the time spent inside them.
class TTimedHandlers : public skerrow::THandlerSet {
 public:
  double Seconds() const { return std::chrono::duration<double>(inside_).count(); }
  int Calls() const { return calls_; }

  void ExtractPackage(skerrow::TProcessState& state, const std::string& path) override {
    Timed([&] { skerrow::DefaultHandlers().ExtractPackage(state, path); });
  }
  int32_t RebuildPackage(skerrow::TProcessState& state, const std::string& outputPath,
                         int32_t firstLine) override {
    int32_t next = 0;
    Timed([&] { next = skerrow::DefaultHandlers().RebuildPackage(state, outputPath, firstLine); });
    return next;
  }
  void ExtractExeText(skerrow::TProcessState& state, const std::string& path) override {
    Timed([&] { skerrow::DefaultHandlers().ExtractExeText(state, path); });
  }
  int32_t InsertExeText(skerrow::TProcessState& state, const std::string& outputPath,
                        int32_t firstLine) override {
    int32_t next = 0;
    Timed([&] { next = skerrow::DefaultHandlers().InsertExeText(state, outputPath, firstLine); });
    return next;
  }

 private:
  template <typename Call>
  void Timed(Call call) {
    ++calls_;
    const auto start = Clock::now();
    try {
      call();
    } catch (...) {
      inside_ += Clock::now() - start;
      throw;
    }
    inside_ += Clock::now() - start;
  }

  Clock::duration inside_{};
  int calls_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace skerrow;
  const TParsedOptions parsed = ParseBatchOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Options || parsed.Options->Help || parsed.Options->Version) {
    std::fprintf(stderr, "usage: skerrow-replay-timing --out DIR [--kind KIND] FILE...\n");
    return 2;
  }
  const TBatchOptions& options = *parsed.Options;
  std::vector<std::string> files;
  for (const auto& file : options.Files) files.push_back(AbsolutePath(file));
  THeadlessToolkit toolkit(files, options.FilterPosition, AbsolutePath(options.OutputDir));
  TTimedHandlers handlers;
  TMainForm form(toolkit, handlers);
  toolkit.Attach(&form);
  form.FormCreate();
  const auto start = Clock::now();
  if (form.Invoke(&TMainForm::BAddLogClick)) form.Invoke(&TMainForm::BProcessClick);
  const double total = std::chrono::duration<double>(Clock::now() - start).count();
  form.FormDestroy();
  if (toolkit.ErrorShown()) return 1;
  std::printf("total %.6f handlers %.6f calls %d\n", total, handlers.Seconds(), handlers.Calls());
  return 0;
}
