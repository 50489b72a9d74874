// A handler host that records what a handler showed: the status texts, every bar position it
// set, and the bar position at each "let pending messages run".
#pragma once

#include <string>
#include <vector>

#include "formats/handler_host.h"
#include "formats/process_state.h"

namespace skerrow::testing {

class TRecordingHost : public THandlerHost {
 public:
  std::vector<std::string> Statuses;
  std::vector<int> Positions;  // every SetProgressPosition, in order
  std::vector<int> PumpedAt;   // the bar's position at each ProcessMessages
  int Position = -1;
  int Maximum = -1;

  void SetStatus(const std::string& text) override { Statuses.push_back(text); }
  int ProgressPosition() const override { return Position; }
  void SetProgressPosition(int position) override {
    Position = position;
    Positions.push_back(position);
  }
  void SetProgressMax(int maximum) override { Maximum = maximum; }
  void ProcessMessages() override { PumpedAt.push_back(Position); }
};

// A handler's shared state as a run hands it over: a recording host attached, the output
// folder set.
struct THostedState {
  explicit THostedState(std::string outputDir) {
    State.Host = &Host;
    State.OutputDir = std::move(outputDir);
  }
  THostedState(const THostedState&) = delete;
  THostedState& operator=(const THostedState&) = delete;

  TRecordingHost Host;  // before State, which points at it
  TProcessState State;
};

}  // namespace skerrow::testing
