// A copy page as the tests see it: every call the assembly and the extraction make is
// recorded; the disk prompt's answer comes from a callback.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "deploy/assembly.h"

namespace kolvar::deploy::testing {

class RecordingView : public CopyView {
 public:
  void SetStatus(const std::wstring& text) override { statuses.push_back(text); }
  void SetCopyMaximum(int maximum) override { copy.SetMaximum(maximum); }
  void SetCopyPosition(int position) override {
    copy.SetPosition(position);
    copyPositions.push_back(copy.position);
  }
  void SetUnzipMaximum(int maximum) override { unzip.SetMaximum(maximum); }
  void SetUnzipPosition(int position) override {
    unzip.SetPosition(position);
    unzipPercents.push_back(unzip.Percent());
  }
  void SetMessageHeading(const std::wstring& h) override { heading = h; }
  int ShowDiskPrompt(const std::wstring& text) override {
    prompts.push_back(text);
    return onPrompt ? onPrompt(static_cast<int>(prompts.size())) : 2;
  }
  void PumpMessages() override { ++pumps; }
  void SetModalResult(int result) override { modalResult = result; }
  void ShowCannotDelete(const std::wstring& text) override { cannotDelete.push_back(text); }

  std::vector<std::wstring> statuses, prompts, cannotDelete;
  std::vector<int> copyPositions, unzipPercents;
  GaugeState copy, unzip;
  std::wstring heading;
  std::function<int(int)> onPrompt;
  int modalResult = 0, pumps = 0;
};

}  // namespace kolvar::deploy::testing
