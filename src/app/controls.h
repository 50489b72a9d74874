// The window's controls as small models: what a control shows and whether it is enabled,
// without any pixels. The real window mirrors these; the tests read them.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace skerrow {

struct TToolButton {
  int ImageIndex = 0;
  bool Enabled = true;
};

struct TButton {
  std::string Caption;
  bool Enabled = true;
};

struct TLabel {
  std::string Caption;
};

// A bar holds its position within its range.
struct TProgressBar {
  int Min = 0;
  int Max = 100;
  int Position = 0;

  void SetPosition(int position) { Position = std::clamp(position, Min, std::max(Min, Max)); }
  void SetMax(int maximum) {
    Max = maximum;
    SetPosition(Position);
  }
};

// The input list: items, which of them are selected, and the current (focused) item.
struct TListBox {
  std::vector<std::string> Items;
  std::vector<bool> Selected;  // one flag per item
  int ItemIndex = -1;          // the current item, or -1

  int Count() const { return static_cast<int>(Items.size()); }
  void Add(std::string item) {
    Items.push_back(std::move(item));
    Selected.push_back(false);
  }
  void Clear() {
    Items.clear();
    Selected.clear();
    ItemIndex = -1;
  }
  void SetItems(std::vector<std::string> items) {
    Items = std::move(items);
    Selected.assign(Items.size(), false);
    ItemIndex = -1;
  }
  void Select(int index, bool selected = true) {
    Selected.at(static_cast<size_t>(index)) = selected;
  }
};

// The editable results pane: the user may type into it; the window only empties it.
struct TRichEdit {
  std::string Text;
};

// One row of a dialog's filter list: the text shown and its pattern.
struct TFilter {
  std::string Text;
  std::string Pattern;
};

struct TFileDialog {
  enum class Kind { kOpen, kSave };
  Kind DialogKind = Kind::kOpen;
  std::string Title;
  std::vector<TFilter> Filters{};
  int FilterIndex = 1;  // position of the filter in force, from 1
  std::string DefaultExt;
  bool AllowMultiSelect = false;
  bool MustExist = false;        // the folder and every chosen file must exist
  bool OverwritePrompt = false;  // ask before replacing an existing file
  bool Resizable = false;
  // The result of a confirmed dialog: the chosen files' full paths, in the dialog's order.
  std::vector<std::string> Files{};
  std::string FileName() const { return Files.empty() ? std::string() : Files.front(); }
};

}  // namespace skerrow
