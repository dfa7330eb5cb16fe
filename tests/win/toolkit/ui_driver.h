// Drives the toolkit's windows as a user would, from a second thread while the test thread runs
// the forms' message loops: real mouse and keyboard input, waiting for windows, screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "shots.h"
#include "toolkit/control.h"
#include "win_test_support.h"

namespace kolvar::testing {

// Runs `script` on its own thread; joined when the object dies. A script that ends on a failed
// assertion ends the modal loops of the thread that made the object.
class UserScript {
 public:
  explicit UserScript(std::function<void()> script);
  ~UserScript();
  UserScript(const UserScript&) = delete;
  UserScript& operator=(const UserScript&) = delete;

 private:
  std::thread thread_;
};

// The waits below take their time-outs through Scaled (win_test_support.h).
// Waits until `done` answers true, up to `timeoutMs`; returns whether it did.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Waits until `window` is visible and enabled.
bool WaitForWindow(HWND window, DWORD timeoutMs = 5000);
// Waits until a visible window with the toolkit's class and `title` exists; returns it or null.
HWND WaitForTitled(const std::wstring& title, DWORD timeoutMs = 5000);

// Moves the mouse to screen point `at` and presses and releases a button there.
void ClickAt(POINT at, bool right = false);
void MoveMouseTo(POINT at);
void MouseDownAt(POINT at);
void MouseUpAt(POINT at);
// Clicks the middle of a control (windowed or not), taking its screen position.
void ClickControl(const kolvar::toolkit::TControl& control, bool right = false);
// Presses and releases `key` with the modifiers in `shift` (toolkit TShift bits).
void PressKey(WORD key, unsigned shift = 0);
// Turns the mouse wheel by `notches` (positive: away from the user) with `shift` held.
void Wheel(int notches, unsigned shift);

// Runs the calling thread's message queue (through the application's key handling) until `done`
// answers true or `timeoutMs` passes.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Handles the calling thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);

using kolvar::shots::CaptureScreen;
using kolvar::shots::CaptureWindow;
using kolvar::shots::Shot;
// build/artifacts (made when missing).
std::wstring ArtifactsFolder();
// Runs GALLERY.EXE /shots into build/artifacts with file names starting `name`; returns each
// page's file name and picture in page order (none when the gallery failed).
std::vector<std::pair<std::wstring, Shot>> GalleryShots(const std::wstring& name);
// Writes `shot` as a PNG file named `name` under build/artifacts; returns the path written
// (empty on failure).
std::wstring SaveArtifact(const Shot& shot, const std::wstring& name);
// The pixels of a PNG file written by SavePng (8-bit RGB, no row filters); an empty shot when
// the file is of another kind or cannot be read.
Shot LoadPng(const std::wstring& path);

}  // namespace kolvar::testing
