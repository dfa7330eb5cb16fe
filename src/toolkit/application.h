// The application object: the message loop pieces the forms use, the main window and the
// general error report.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace kolvar::toolkit {

class TMForm;

class TApplication {
 public:
  // The main window (the background window of the installer), or null.
  TMForm* MainForm() const { return mainForm_; }
  void SetMainForm(TMForm* form) { mainForm_ = form; }
  const std::wstring& Title() const { return title_; }
  void SetTitle(const std::wstring& title) { title_ = title; }

  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  // Waits for one message and handles it (keys first go through the form's preview, the
  // focus keys and the default and cancel buttons).
  void HandleMessage();
  // Handles one message already taken from the queue.
  void Dispatch(MSG& msg);

  // Ends the loops: ShowModal returns Cancel and HandleMessage returns at once.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Minimises every visible toplevel window of the program.
  void Minimize();

  // The general error report: call inside a catch block. Shows the error's text in a message
  // box (or hands it to OnException when set); never throws.
  void HandleException() noexcept;
  void ShowException(const std::wstring& text) noexcept;
  // Replaces the message box of the general error report (tests record the text instead).
  std::function<void(const std::wstring&)> OnException;

  // The toolkit form that holds the active window, or null.
  TMForm* ActiveForm() const;

 private:
  bool PreTranslate(MSG& msg);

  TMForm* mainForm_ = nullptr;
  std::wstring title_ = L"KOLVAR";
  bool terminated_ = false;
};

// The one application object of the process.
TApplication& Application();

}  // namespace kolvar::toolkit
