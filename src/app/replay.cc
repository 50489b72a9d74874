// The replay of a result log: walks its lines, keeps the format in force, and hands every
// source to the insertion handler of that format, resuming at the line the handler returns.
#include "app/format_table.h"
#include "app/keyword_line.h"
#include "app/main_form.h"
#include "platform/error.h"
#include "platform/paths.h"

namespace skerrow {

void TMainForm::ReplayLog(const std::string& path) {
  TStringList& script = State.ScriptList;
  script.LoadFromFile(path);
  CurrentMessage.Caption = ProcessingText(path);
  Total.SetMax(100);
  Total.SetPosition(0);
  ReplayFormat = kFormatUnknown;

  int line = 0;
  while (line < script.Count()) {
    CurrentMessage.Caption = ProcessingText(path);
    const int lines = script.Count();
    // A one-line log is wholly done once its line is in hand.
    Total.SetPosition(lines > 1 ? static_cast<int>(static_cast<long long>(line) * 100 / (lines - 1))
                                : 100);
    int next = line + 1;
    const TKeywordLine parsed = ParseKeywordLine(script.At(line));
    if (!parsed.Keyword.empty()) {
      script.Set(line, parsed.Argument);
      if (parsed.Keyword == kKeywordFormat) {
        const std::string name = FirstWord(parsed.Argument);
        ReplayFormat = name == "DAT"   ? kFormatPackage
                       : name == "TRC" ? kFormatText
                                       : kFormatUnknown;
      } else if (parsed.Keyword == kKeywordSource) {
        ReplaySourceLine(next, parsed.Argument);
      }
    }
    State.SourceStream.reset();
    Progress.SetPosition(Progress.Position + 1);
    toolkit_.ProcessMessages();
    line = next;
    if (stop_requested_) {
      if (line < script.Count()) stopped_ = true;
      break;
    }
  }
}

// Opens the source, calls the handler of the format in force and sets next to the first line
// the handler did not consume.
void TMainForm::ReplaySourceLine(int& next, const std::string& source) {
  const int firstLine = next;
  State.SourceStream.reset();
  if (PathExists(source)) {
    State.SourceStream = std::make_unique<TFileStream>(source, TFileStream::Mode::kReadWrite);
  }
  State.CurrentSource = source;
  CurrentMessage.Caption = ProcessingText(source);
  const std::string outputPath = JoinPath(State.OutputDir, FileNamePart(source));
  int32_t resume = firstLine;
  if (ReplayFormat == kFormatPackage) {
    // Without its package a rebuild has nothing to read: say so instead of skipping it.
    if (!State.SourceStream) ThrowCannotOpen(source);
    resume = handlers_.RebuildPackage(State, outputPath, firstLine);
  } else if (ReplayFormat == kFormatText) {
    resume = handlers_.InsertExeText(State, outputPath, firstLine);
  }
  // A handler never moves back; the guard keeps a faulty one from looping for ever.
  next = resume < firstLine ? firstLine : resume;
}

}  // namespace skerrow
