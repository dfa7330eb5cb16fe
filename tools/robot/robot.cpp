// ROBOT.EXE: plays a scenario (robot SCENARIO [--shots FOLDER] [NAME=VALUE...]) against the real
// programs as a user would: it finds windows and controls by class and caption, waits for them
// with time-outs, clicks with the real mouse at the control's place, presses real keys, types,
// changes the disk in a drive, saves a screenshot of every page, and checks what the machine
// holds afterwards (files and their bytes, registry values, the database engine's aliases and
// settings, INI entries). Every step is reported on the console with its time. Exit status: 0
// when every step passed, 1 when one failed (the robot stops there), 2 when the scenario
// cannot be read.
#include <windows.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bootstrap/engine_session.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/text.h"
#include "script.h"
#include "shots.h"
#include "sight.h"

namespace kolvar::robot {
namespace {

// A step that did not hold: the robot reports it and stops.
struct Failure {
  std::wstring message;
};

constexpr wchar_t kToolkitClass[] = L"KolvarControl";
constexpr DWORD kDefaultWaitMs = 30000;
// How long a window found on the screen may take to come in sight.
constexpr DWORD kSightWaitMs = 5000;

std::string Utf8(const std::wstring& text) {
  return WideToUtf8(text);
}

// Waits until `done` answers true, up to `timeoutMs`.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs)
      return false;
    ::Sleep(25);
  }
  return true;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, 256);
  return name;
}

// The text of a window of any process (captions, buttons, edits, memos).
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied))
    return L"";
  text.resize(copied);
  return text;
}

// A caption as the user reads it: the accelerator's "&" removed ("&&" is one "&").
std::wstring Shown(const std::wstring& caption) {
  std::wstring out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size())
      ++i;
    out += caption[i];
  }
  return out;
}

// A caption as written in a scenario: exactly, or as the user reads it, "*" standing for any text.
bool CaptionMatches(HWND window, const std::wstring& caption) {
  std::wstring text = TextOf(window);
  return MatchesPattern(text, caption) || MatchesPattern(Shown(text), Shown(caption));
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM data) {
  if (::IsWindowVisible(window))
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

// Visible top-level windows, front to back.
std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> found;
  ::EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The visible top-level window of `className` (any class when empty) captioned `caption`.
HWND FindTopLevel(const std::wstring& className, const std::wstring& caption) {
  for (HWND window : TopLevelWindows())
    if ((className.empty() || ClassOf(window) == className) && CaptionMatches(window, caption))
      return window;
  return nullptr;
}

// Visible descendants of `parent`, in the order the system lists them.
std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  ::EnumChildWindows(parent, CollectVisible, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindControl(HWND parent, const std::wstring& className, const std::wstring& caption) {
  for (HWND child : Descendants(parent))
    if ((className.empty() || ClassOf(child) == className) && CaptionMatches(child, caption))
      return child;
  return nullptr;
}

void SendMouse(DWORD flags, POINT at) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (at.x * 65536 + cx / 2) / cx;
  input.mi.dy = (at.y * 65536 + cy / 2) / cy;
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  ::SendInput(1, &input, sizeof(input));
  ::Sleep(40);
}

// A real double click at `at` (screen coordinates).
void DoubleClickAt(POINT at) {
  SendMouse(0, at);
  for (int i = 0; i < 2; ++i) {
    SendMouse(MOUSEEVENTF_LEFTDOWN, at);
    SendMouse(MOUSEEVENTF_LEFTUP, at);
  }
}

// The index of the item of a list box (LB_*) or combo box (CB_*) whose text is `text`, ignoring
// case; -1 when none.
int FindItem(HWND list, bool combo, const std::wstring& text) {
  int count = static_cast<int>(::SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
  std::wstring wanted = AsciiUpper(text);
  for (int i = 0; i < count; ++i) {
    int length =
        static_cast<int>(::SendMessageW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0));
    if (length <= 0)
      continue;
    std::wstring item(length + 1, L'\0');
    ::SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
    item.resize(std::wcslen(item.c_str()));
    // A drive line carries the volume label after the letter: "c: [SISTEM]".
    std::wstring upper = AsciiUpper(item);
    if (upper == wanted || (combo && upper.compare(0, wanted.size() + 1, wanted + L" ") == 0))
      return i;
  }
  return -1;
}

// Brings item `index` of a list box into view and gives its middle in screen coordinates.
POINT ItemPoint(HWND list, int index) {
  RECT client, item{};
  ::GetClientRect(list, &client);
  ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  if (item.top < client.top || item.bottom > client.bottom) {
    // Scrolled to as a user would with the scroll bar.
    ::SendMessageW(list, LB_SETTOPINDEX, index, 0);
    ::Sleep(100);
    ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  }
  POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ::ClientToScreen(list, &at);
  return at;
}

// The dropped-down list of a combo box: a top-level window of the combo's own thread.
HWND DroppedList(HWND combo) {
  DWORD thread = ::GetWindowThreadProcessId(combo, nullptr);
  for (HWND window : TopLevelWindows())
    if (ClassOf(window) == L"ComboLBox" && ::GetWindowThreadProcessId(window, nullptr) == thread)
      return window;
  return nullptr;
}

void SendKey(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, 0));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  ::SendInput(1, &input, sizeof(input));
  ::Sleep(25);
}

void PressChord(const Chord& chord) {
  if (chord.ctrl)
    SendKey(VK_CONTROL, false);
  if (chord.alt)
    SendKey(VK_MENU, false);
  if (chord.shift)
    SendKey(VK_SHIFT, false);
  SendKey(chord.key, false);
  SendKey(chord.key, true);
  if (chord.shift)
    SendKey(VK_SHIFT, true);
  if (chord.alt)
    SendKey(VK_MENU, true);
  if (chord.ctrl)
    SendKey(VK_CONTROL, true);
}

void TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
      input[i].type = INPUT_KEYBOARD;
      input[i].ki.wScan = c;
      input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    ::SendInput(2, input, sizeof(INPUT));
    ::Sleep(15);
  }
}

// Lets the window's thread handle what is queued, then gives its paint a moment.
void Settle(HWND window) {
  DWORD_PTR ignored;
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  ::Sleep(250);
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

std::vector<std::wstring> ProcessNames() {
  std::vector<std::wstring> names;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return names;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
       more = ::Process32NextW(snapshot, &entry))
    names.push_back(AsciiUpper(entry.szExeFile));
  ::CloseHandle(snapshot);
  return names;
}

bool ProcessRunning(const std::wstring& exeName) {
  for (const std::wstring& name : ProcessNames())
    if (name == AsciiUpper(exeName))
      return true;
  return false;
}

// Files of a tree: relative path -> size and a hash of the bytes.
using Tree = std::map<std::wstring, std::pair<uint64_t, uint64_t>>;

// A file's size and a hash (FNV-1a) of its bytes.
std::pair<uint64_t, uint64_t> DescribeFile(const std::wstring& path) {
  std::string bytes = ReadFileBytes(path);
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : bytes)
    hash = (hash ^ c) * 1099511628211ull;
  return {bytes.size(), hash};
}

void ListTree(const std::wstring& root, const std::wstring& relative, Tree& tree) {
  WIN32_FIND_DATAW data;
  std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..")
      continue;
    std::wstring path = relative.empty() ? name : relative + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree[path + L"\\"] = {0, 0};
      ListTree(root, path, tree);
      continue;
    }
    tree[path] = DescribeFile(root + L"\\" + path);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

Tree ReadTree(const std::wstring& root) {
  Tree tree;
  DWORD attributes = ::GetFileAttributesW(root.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return tree;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    tree[L""] = DescribeFile(root);
    return tree;
  }
  ListTree(root, L"", tree);
  return tree;
}

void DeleteTree(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileW(path.c_str()))
      throw Failure{L"cannot delete " + path};
    return;
  }
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name != L"." && name != L"..")
        DeleteTree(path + L"\\" + name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(path.c_str());
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
  DWORD attributes = ::GetFileAttributesW(from.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    throw Failure{L"no such file or folder: " + from};
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    size_t slash = to.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2)
      ForceDirectories(to.substr(0, slash));
    if (!::CopyFileW(from.c_str(), to.c_str(), FALSE))
      throw Failure{L"cannot copy " + from + L" to " + to};
    return;
  }
  ForceDirectories(to);
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((from + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..")
      CopyTree(from + L"\\" + name, to + L"\\" + name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

// A registry path "HKLM\Software\..." or "HKCU\...": the root and the rest.
std::pair<HKEY, std::wstring> SplitKey(const std::wstring& path) {
  size_t slash = path.find(L'\\');
  std::wstring root = AsciiUpper(path.substr(0, slash));
  std::wstring rest = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
  if (root == L"HKLM" || root == L"HKEY_LOCAL_MACHINE")
    return {HKEY_LOCAL_MACHINE, rest};
  if (root == L"HKCU" || root == L"HKEY_CURRENT_USER")
    return {HKEY_CURRENT_USER, rest};
  throw Failure{L"a registry path begins with HKLM\\ or HKCU\\: " + path};
}

class Robot {
 public:
  Robot(std::map<std::wstring, std::wstring> variables, std::wstring shots)
      : variables_(std::move(variables)), shots_(std::move(shots)), start_(::GetTickCount()) {
    wchar_t buffer[MAX_PATH];
    DWORD length = ::GetTempPathW(MAX_PATH, buffer);
    variables_.emplace(L"TEMP", ExcludeTrailingBackslash(std::wstring(buffer, length)));
    ::GetWindowsDirectoryW(buffer, MAX_PATH);
    variables_.emplace(L"WINDIR", buffer);
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, buffer)))
      variables_.emplace(L"PROGRAMS", buffer);
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, buffer)))
      variables_.emplace(L"PROGRAMFILES", buffer);
    if (!shots_.empty())
      ForceDirectories(shots_);
  }
  ~Robot() {
    for (HANDLE process : started_)
      ::CloseHandle(process);
  }

  // Plays every step; returns the exit status.
  int Play(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
      double at = Seconds();
      try {
        std::vector<std::wstring> words;
        for (const std::wstring& word : step.words)
          words.push_back(Expand(word, variables_));
        Do(words);
        std::printf("[%7.2fs] %3d  %s  (%.2fs)\n", at, step.line, Utf8(Trimmed(step.text)).c_str(),
                    Seconds() - at);
      } catch (const Failure& failure) {
        return Fail(step, at, failure.message);
      } catch (const ScriptError& error) {
        return Fail(step, at, error.message);
      } catch (const Error& error) {
        return Fail(step, at, error.message());
      }
      std::fflush(stdout);
    }
    std::printf("[%7.2fs] all %zu steps passed\n", Seconds(), steps.size());
    return 0;
  }

 private:
  static std::wstring Trimmed(const std::wstring& text) {
    size_t begin = text.find_first_not_of(L" \t");
    return begin == std::wstring::npos ? L"" : text.substr(begin);
  }
  double Seconds() const { return (::GetTickCount() - start_) / 1000.0; }

  int Fail(const Step& step, double at, const std::wstring& message) {
    std::printf("[%7.2fs] %3d  %s\nFAILED: %s\n", at, step.line, Utf8(Trimmed(step.text)).c_str(),
                Utf8(message).c_str());
    std::printf("windows on the screen:\n");
    for (HWND window : TopLevelWindows())
      std::printf("  %s \"%s\"%s\n", Utf8(ClassOf(window)).c_str(), Utf8(TextOf(window)).c_str(),
                  ::IsWindowEnabled(window) ? "" : " (disabled)");
    if (current_ && ::IsWindow(current_)) {
      std::printf("controls of \"%s\":\n", Utf8(TextOf(current_)).c_str());
      for (HWND child : Descendants(current_)) {
        RECT r;
        ::GetWindowRect(child, &r);
        std::printf("  %s \"%s\" at %ld,%ld %ldx%ld%s\n", Utf8(ClassOf(child)).c_str(),
                    Utf8(TextOf(child)).c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                    ::IsWindowEnabled(child) ? "" : " (disabled)");
      }
    }
    SaveShot(L"failed");
    std::fflush(stdout);
    return 1;
  }

  void SaveShot(const std::wstring& name) {
    if (shots_.empty())
      return;
    RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    wchar_t number[8];
    std::swprintf(number, 8, L"%02d-", ++shotCount_);
    std::wstring file;
    for (wchar_t c : Shown(name))
      file += (std::iswalnum(c) || c == L'-') ? static_cast<wchar_t>(std::towlower(c)) : L'-';
    std::wstring path = shots_ + L"\\" + number + file + L".png";
    if (!shots::SavePng(shots::CaptureScreen(screen), path))
      throw Failure{L"cannot save " + path};
  }

  static DWORD Timeout(const std::vector<std::wstring>& words, size_t index, DWORD fallback) {
    if (index >= words.size())
      return fallback;
    return static_cast<DWORD>(std::wcstod(words[index].c_str(), nullptr) * 1000);
  }
  static void Need(const std::vector<std::wstring>& words, size_t count, const wchar_t* usage) {
    if (words.size() < count)
      throw ScriptError{std::wstring(L"usage: ") + usage};
  }

  // Waits for a visible, enabled top-level window; it becomes the current one and is shot.
  // Unless `covered` says the scenario means a window that another one legitimately covers,
  // the window must also come in sight where the user looks (hit tests over its rectangle);
  // the failure names the window that covers it.
  void WaitForWindow(const std::wstring& className,
                     const std::wstring& caption,
                     DWORD ms,
                     bool covered = false) {
    HWND found = nullptr;
    if (!WaitUntil(
            [&] {
              found = FindTopLevel(className, caption);
              return found && ::IsWindowEnabled(found);
            },
            ms))
      throw Failure{L"no window \"" + caption + L"\" within " + std::to_wstring(ms / 1000) + L" s"};
    current_ = found;
    Settle(found);
    if (!covered) {
      // A window that has just appeared may need a moment to come to the front.
      shots::Sight sight;
      if (!WaitUntil([&] { return (sight = shots::LookAt(found)).InSight(); }, kSightWaitMs))
        throw Failure{L"\"" + TextOf(found) + L"\" " + shots::DescribeSight(sight)};
      Settle(found);
    }
    SaveShot(TextOf(found));
  }

  // Keys go to the active window: the current one is made active first, and keys wait until
  // the system says it is (a window that has just changed its active state may drop them).
  void FocusCurrent() {
    if (!current_ || !::IsWindow(current_))
      return;
    if (::GetForegroundWindow() == current_)
      return;
    ::SetForegroundWindow(current_);
    WaitUntil([&] { return ::GetForegroundWindow() == current_; }, 3000);
    Settle(current_);
  }

  HWND Current() const {
    if (!current_ || !::IsWindow(current_))
      throw Failure{L"no current window (a page step comes first)"};
    return current_;
  }

  void Click(const std::wstring& className, const std::wstring& caption, DWORD ms) {
    HWND control = nullptr;
    HWND parent = Current();
    if (!WaitUntil(
            [&] {
              control = FindControl(parent, className, caption);
              return control && ::IsWindowEnabled(control);
            },
            ms))
      throw Failure{control ? L"\"" + caption + L"\" stays disabled"
                            : L"no control \"" + caption + L"\" in \"" + TextOf(parent) + L"\""};
    ClickWindow(parent, control);
  }

  void Choose(const std::wstring& text) {
    HWND page = Current();
    bool done = false;
    WaitUntil(
        [&] {
          for (HWND child : Descendants(page)) {
            std::wstring cls = AsciiUpper(ClassOf(child));
            bool combo = cls.find(L"COMBOBOX") != std::wstring::npos;
            if (!combo && cls.find(L"LISTBOX") == std::wstring::npos)
              continue;
            int index = FindItem(child, combo, text);
            if (index < 0)
              continue;
            if (!combo) {
              BringToFront(page);
              DoubleClickAt(ItemPoint(child, index));
            } else {
              ClickWindow(page, child);
              HWND dropped = nullptr;
              WaitUntil([&] { return (dropped = DroppedList(child)) != nullptr; }, 3000);
              if (!dropped)
                throw Failure{L"the list of the drop-down box does not open"};
              POINT at = ItemPoint(dropped, index);
              SendMouse(0, at);
              SendMouse(MOUSEEVENTF_LEFTDOWN, at);
              SendMouse(MOUSEEVENTF_LEFTUP, at);
            }
            Settle(page);
            done = true;
            return true;
          }
          return false;
        },
        10000);
    if (!done)
      throw Failure{L"no list of \"" + TextOf(page) + L"\" holds \"" + text + L"\""};
  }

  static void BringToFront(HWND page) {
    if (::GetForegroundWindow() != page) {
      ::SetForegroundWindow(page);
      WaitUntil([&] { return ::GetForegroundWindow() == page; }, 3000);
      Settle(page);
    }
  }

  // A real click in the middle of `control`, its page brought to the front first. The click
  // waits until the page is active: another program's window (the shell's group folder, which
  // the configuration page opens) may hold the front, and a click that arrives while the page
  // is still being activated can be lost.
  static void ClickWindow(HWND page, HWND control) {
    BringToFront(page);
    RECT r;
    ::GetWindowRect(control, &r);
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SendMouse(0, at);
    SendMouse(MOUSEEVENTF_LEFTDOWN, at);
    SendMouse(MOUSEEVENTF_LEFTUP, at);
  }

  void CheckEngine(const std::wstring& listPath,
                   const std::wstring& node,
                   const std::wstring& expected) {
    bootstrap::EngineSession session;
    if (!session.Start())
      throw Failure{L"the database engine does not start"};
    const bootstrap::EngineApi& api = *session.Bind();
    std::string path = WideToUtf8(listPath);
    engine::hDBICur cursor = nullptr;
    if (api.DbiOpenCfgInfoList(nullptr, engine::dbiREADONLY, engine::cfgPersistent, path.c_str(),
                               &cursor) != engine::DBIERR_NONE)
      throw Failure{L"the engine has no list " + listPath};
    std::wstring value;
    bool found = false;
    engine::CFGDesc record{};
    if (api.DbiSetToBegin(cursor) == engine::DBIERR_NONE)
      while (!found && api.DbiGetNextRecord(cursor, engine::dbiNOLOCK, &record, nullptr) ==
                           engine::DBIERR_NONE) {
        record.szNodeName[sizeof record.szNodeName - 1] = '\0';
        record.szValue[sizeof record.szValue - 1] = '\0';
        if (AsciiUpper(AnsiToWide(record.szNodeName)) == AsciiUpper(node)) {
          value = AnsiToWide(record.szValue);
          found = true;
        }
      }
    api.DbiCloseCursor(&cursor);
    if (!found)
      throw Failure{listPath + L" has no " + node};
    if (value != expected)
      throw Failure{listPath + L" " + node + L" is \"" + value + L"\", not \"" + expected + L"\""};
  }

  void Do(const std::vector<std::wstring>& w) {
    const std::wstring& verb = w[0];
    if (verb == L"machine") {
      // Read by the scenario runner before the robot starts.
    } else if (verb == L"set") {
      Need(w, 3, L"set NAME VALUE");
      variables_[w[1]] = w[2];
    } else if (verb == L"start") {
      Need(w, 2, L"start COMMAND-LINE");
      STARTUPINFOW si{};
      si.cb = sizeof(si);
      PROCESS_INFORMATION pi{};
      std::wstring line = w[1];
      if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
        throw Failure{L"cannot start " + w[1]};
      ::CloseHandle(pi.hThread);
      started_.push_back(pi.hProcess);
    } else if (verb == L"page") {
      // page [--covered] CAPTION [SECONDS]: a page or dialog in sight (--covered: one that
      // another window is meant to cover, such as a page under the release instructions).
      bool covered = w.size() > 1 && w[1] == L"--covered";
      std::vector<std::wstring> rest(w.begin() + (covered ? 1 : 0), w.end());
      Need(rest, 2, L"page [--covered] CAPTION [SECONDS]");
      WaitForWindow(kToolkitClass, rest[1], Timeout(rest, 2, kDefaultWaitMs), covered);
    } else if (verb == L"message-box") {
      // The system's message box (the general error report), whatever its caption.
      DWORD ms = Timeout(w, 1, kDefaultWaitMs);
      HWND found = nullptr;
      if (!WaitUntil(
              [&] {
                found = ::FindWindowW(L"#32770", nullptr);
                return found && ::IsWindowVisible(found);
              },
              ms))
        throw Failure{L"no message box within " + std::to_wstring(ms / 1000) + L" s"};
      current_ = found;
      Settle(found);
      SaveShot(L"message-" + TextOf(found));
    } else if (verb == L"window") {
      Need(w, 3, L"window CLASS CAPTION [SECONDS]");
      WaitForWindow(w[1], w[2], Timeout(w, 3, kDefaultWaitMs));
    } else if (verb == L"click") {
      Need(w, 2, L"click [CLASS] CAPTION");
      if (w.size() >= 3)
        Click(w[1], w[2], 10000);
      else
        Click(L"", w[1], 10000);
    } else if (verb == L"choose") {
      // An item of a list on the page chosen as a user chooses it: a folder of a list box
      // double-clicked (opened), a line of a drop-down list picked from the dropped list.
      Need(w, 2, L"choose ITEM");
      Choose(w[1]);
    } else if (verb == L"field") {
      // The N-th edit field of the page, counted in reading order (top to bottom, then left to
      // right), clicked as a user puts the cursor in it.
      Need(w, 2, L"field N");
      std::vector<std::pair<POINT, HWND>> edits;
      for (HWND child : Descendants(Current())) {
        if (ClassOf(child).find(L"EDIT") == std::wstring::npos &&
            ClassOf(child).find(L"Edit") == std::wstring::npos)
          continue;
        RECT r;
        ::GetWindowRect(child, &r);
        edits.push_back({{r.left, r.top}, child});
      }
      std::sort(edits.begin(), edits.end(), [](const auto& a, const auto& b) {
        return a.first.y != b.first.y ? a.first.y < b.first.y : a.first.x < b.first.x;
      });
      size_t n = std::wcstoul(w[1].c_str(), nullptr, 10);
      if (n < 1 || n > edits.size())
        throw Failure{L"the page has " + std::to_wstring(edits.size()) + L" edit field(s)"};
      ClickWindow(Current(), edits[n - 1].second);
    } else if (verb == L"key") {
      Need(w, 2, L"key CHORD...");
      FocusCurrent();
      for (size_t i = 1; i < w.size(); ++i) {
        auto chord = ParseChord(w[i]);
        if (!chord)
          throw ScriptError{L"no such key: " + w[i]};
        PressChord(*chord);
      }
    } else if (verb == L"type") {
      Need(w, 2, L"type TEXT");
      FocusCurrent();
      TypeText(w[1]);
    } else if (verb == L"replace") {
      Need(w, 2, L"replace TEXT");
      FocusCurrent();
      PressChord({VK_HOME, false, true, false});
      PressChord({VK_END, false, true, true});
      PressChord({VK_DELETE});
      TypeText(w[1]);
    } else if (verb == L"expect-text") {
      Need(w, 2, L"expect-text TEXT");
      HWND parent = Current();
      bool seen = WaitUntil(
          [&] {
            if (TextOf(parent).find(w[1]) != std::wstring::npos)
              return true;
            for (HWND child : Descendants(parent))
              if (TextOf(child).find(w[1]) != std::wstring::npos)
                return true;
            return false;
          },
          Timeout(w, 2, 5000));
      if (!seen)
        throw Failure{L"\"" + TextOf(parent) + L"\" shows no \"" + w[1] + L"\""};
    } else if (verb == L"expect-disabled" || verb == L"expect-enabled") {
      Need(w, 2, L"expect-enabled CAPTION");
      HWND control = FindControl(Current(), L"", w[1]);
      if (!control)
        throw Failure{L"no control \"" + w[1] + L"\""};
      if ((::IsWindowEnabled(control) != FALSE) != (verb == L"expect-enabled"))
        throw Failure{L"\"" + w[1] + L"\" is " +
                      (::IsWindowEnabled(control) ? L"enabled" : L"disabled")};
    } else if (verb == L"wait-gone") {
      // The current window closes (it may be gone already).
      HWND window = current_;
      if (!window)
        throw Failure{L"no current window (a page step comes first)"};
      DWORD ms = Timeout(w, 1, kDefaultWaitMs);
      if (!WaitUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); }, ms))
        throw Failure{L"\"" + TextOf(window) + L"\" is still open"};
      current_ = nullptr;
    } else if (verb == L"wait-exit") {
      Need(w, 2, L"wait-exit EXE-NAME [SECONDS]");
      if (!WaitUntil([&] { return !ProcessRunning(w[1]); }, Timeout(w, 2, kDefaultWaitMs)))
        throw Failure{w[1] + L" still runs"};
    } else if (verb == L"expect-running") {
      Need(w, 2, L"expect-running EXE-NAME");
      if (!ProcessRunning(w[1]))
        throw Failure{w[1] + L" does not run"};
    } else if (verb == L"close") {
      Need(w, 2, L"close CAPTION");
      HWND window = FindTopLevel(L"", w[1]);
      if (!window)
        throw Failure{L"no window \"" + w[1] + L"\""};
      ::PostMessageW(window, WM_CLOSE, 0, 0);
    } else if (verb == L"shot") {
      Need(w, 2, L"shot NAME");
      SaveShot(w[1]);
    } else if (verb == L"sleep") {
      Need(w, 2, L"sleep SECONDS");
      ::Sleep(Timeout(w, 1, 0));
    } else if (verb == L"insert-disk" || verb == L"eject") {
      // The drive's folder is emptied and, for a new disk, filled with the disk's files.
      std::wstring drive =
          verb == L"eject" ? (w.size() > 1 ? w[1] : L"A:") : (w.size() > 2 ? w[2] : L"A:");
      std::wstring root = IncludeTrailingBackslash(drive);
      WIN32_FIND_DATAW data;
      HANDLE find = ::FindFirstFileW((root + L"*").c_str(), &data);
      if (find != INVALID_HANDLE_VALUE) {
        do {
          std::wstring name = data.cFileName;
          if (name != L"." && name != L"..")
            DeleteTree(root + name);
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
      }
      if (verb == L"insert-disk") {
        Need(w, 2, L"insert-disk FOLDER [DRIVE]");
        CopyTree(w[1], ExcludeTrailingBackslash(root));
      }
    } else if (verb == L"copy") {
      Need(w, 3, L"copy FROM TO");
      CopyTree(w[1], w[2]);
    } else if (verb == L"delete") {
      Need(w, 2, L"delete PATH");
      DeleteTree(w[1]);
    } else if (verb == L"write") {
      Need(w, 3, L"write PATH TEXT");
      size_t slash = w[1].find_last_of(L'\\');
      if (slash != std::wstring::npos && slash > 2)
        ForceDirectories(w[1].substr(0, slash));
      WriteFileBytes(w[1], WideToUtf8(w[2]));
    } else if (verb == L"write-ini") {
      Need(w, 5, L"write-ini FILE SECTION KEY VALUE");
      if (!::WritePrivateProfileStringW(w[2].c_str(), w[3].c_str(), w[4].c_str(), w[1].c_str()))
        throw Failure{L"cannot write " + w[1]};
    } else if (verb == L"cut") {
      // Cuts BYTES from the end of a file, as a copy that stopped short would.
      Need(w, 3, L"cut FILE BYTES");
      std::string bytes = ReadFileBytes(w[1]);
      size_t cut = std::min<size_t>(bytes.size(), std::wcstoul(w[2].c_str(), nullptr, 10));
      WriteFileBytes(w[1], bytes.substr(0, bytes.size() - cut));
    } else if (verb == L"damage") {
      // Turns the bits of the byte in the middle of a file, as a bad sector or a bad copy
      // would: an archive whose directory is whole but whose member data fail their check.
      Need(w, 2, L"damage FILE");
      std::string bytes = ReadFileBytes(w[1]);
      if (bytes.empty())
        throw Failure{L"damage: " + w[1] + L" is empty"};
      bytes[bytes.size() / 2] = static_cast<char>(~bytes[bytes.size() / 2]);
      WriteFileBytes(w[1], bytes);
    } else if (verb == L"find-private") {
      // The newest private folder the media run made in the temporary folder.
      std::wstring temp = variables_.at(L"TEMP"), newest;
      FILETIME newestTime{};
      WIN32_FIND_DATAW data;
      HANDLE find = ::FindFirstFileW((temp + L"\\*").c_str(), &data);
      if (find != INVALID_HANDLE_VALUE) {
        do {
          std::wstring name = data.cFileName;
          bool hex = name.size() == 32 && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
          for (wchar_t c : name)
            hex = hex && ((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'));
          if (hex && (newest.empty() || ::CompareFileTime(&data.ftCreationTime, &newestTime) > 0)) {
            newest = name;
            newestTime = data.ftCreationTime;
          }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
      }
      if (newest.empty())
        throw Failure{L"no private folder in " + temp};
      variables_[L"PRIVATE"] = temp + L"\\" + newest;
    } else if (verb == L"remember") {
      Need(w, 3, L"remember NAME PATH");
      remembered_[w[1]] = {w[2], ReadTree(w[2])};
    } else if (verb == L"check-unchanged") {
      Need(w, 2, L"check-unchanged NAME");
      auto found = remembered_.find(w[1]);
      if (found == remembered_.end())
        throw ScriptError{L"nothing remembered as " + w[1]};
      const Tree& before = found->second.second;
      Tree after = ReadTree(found->second.first);
      std::wstring changes;
      for (auto& [path, state] : before) {
        auto now = after.find(path);
        if (now == after.end())
          changes += L" removed " + path + L";";
        else if (now->second != state)
          changes += L" changed " + path + L";";
      }
      for (auto& [path, state] : after)
        if (!before.count(path))
          changes += L" added " + path + L";";
      if (!changes.empty())
        throw Failure{found->second.first + L" changed:" + changes};
    } else if (verb == L"check-file") {
      Need(w, 2, L"check-file PATH [same OTHER]");
      if (!FileExists(w[1]))
        throw Failure{L"no file " + w[1]};
      if (w.size() >= 4 && w[2] == L"same" && ReadTree(w[1]) != ReadTree(w[3]))
        throw Failure{w[1] + L" differs from " + w[3]};
      if (w.size() >= 4 && w[2] == L"larger") {
        WIN32_FILE_ATTRIBUTE_DATA data;
        ::GetFileAttributesExW(w[1].c_str(), GetFileExInfoStandard, &data);
        uint64_t size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (size <= std::wcstoull(w[3].c_str(), nullptr, 10))
          throw Failure{w[1] + L" has only " + std::to_wstring(size) + L" bytes"};
      }
    } else if (verb == L"check-tree") {
      // Every file of OTHER is in PATH with the same bytes (PATH may hold more); paths that
      // match an "except" pattern are passed over.
      Need(w, 4, L"check-tree PATH same OTHER [except PATTERN...]");
      Tree a = ReadTree(w[1]), b = ReadTree(w[3]);
      for (auto& [path, state] : b) {
        bool excepted = false;
        for (size_t i = 5; i < w.size() && w[4] == L"except"; ++i)
          excepted = excepted || MatchesPattern(path, w[i]);
        if (excepted)
          continue;
        auto found = a.find(path);
        if (found == a.end())
          throw Failure{w[1] + L" lacks " + path};
        if (found->second != state)
          throw Failure{w[1] + L"\\" + path + L" differs from " + w[3] + L"\\" + path};
      }
    } else if (verb == L"check-missing") {
      Need(w, 2, L"check-missing PATH");
      if (::GetFileAttributesW(w[1].c_str()) != INVALID_FILE_ATTRIBUTES)
        throw Failure{w[1] + L" exists"};
    } else if (verb == L"check-folder") {
      Need(w, 2, L"check-folder PATH");
      if (!DirectoryExists(w[1]))
        throw Failure{L"no folder " + w[1]};
    } else if (verb == L"check-text" || verb == L"check-no-text") {
      Need(w, 3, L"check-text PATH TEXT");
      if (!FileExists(w[1]))
        throw Failure{L"no file " + w[1]};
      std::string bytes = ReadFileBytes(w[1]);
      bool holds = bytes.find(WideToUtf8(w[2])) != std::string::npos;
      if (holds != (verb == L"check-text"))
        throw Failure{w[1] + (holds ? L" holds \"" : L" does not hold \"") + w[2] + L"\""};
    } else if (verb == L"check-lines" || verb == L"then-lines") {
      // Each TEXT on a line after the line of the text before it: events of a log in their
      // order. check-lines reads the file (in the ANSI code page, as the installer writes it)
      // and starts at its top; then-lines goes on after the last line the two matched.
      size_t first = verb == L"check-lines" ? 2 : 1;
      Need(w, first + 1, L"check-lines PATH TEXT... / then-lines TEXT...");
      if (verb == L"check-lines") {
        if (!FileExists(w[1]))
          throw Failure{L"no file " + w[1]};
        lines_ = {w[1], AnsiToWide(ReadFileBytes(w[1])), 0, L""};
      } else if (lines_.path.empty()) {
        throw ScriptError{L"then-lines without check-lines before it"};
      }
      for (size_t i = first; i < w.size(); ++i) {
        size_t found = lines_.text.find(w[i], lines_.at);
        if (found == std::wstring::npos)
          throw Failure{
              lines_.path + L" has no line holding \"" + w[i] + L"\"" +
              (lines_.last.empty() ? L"" : L" after one holding \"" + lines_.last + L"\"")};
        size_t end = lines_.text.find(L'\n', found);
        lines_.at = end == std::wstring::npos ? lines_.text.size() : end + 1;
        lines_.last = w[i];
      }
    } else if (verb == L"check-reg" || verb == L"check-no-reg") {
      Need(w, verb == L"check-reg" ? 4 : 2, L"check-reg KEY VALUE EXPECTED");
      auto [root, path] = SplitKey(w[1]);
      HKEY key = nullptr;
      bool open = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
      std::wstring value;
      bool present = open;
      if (open && w.size() > 2) {
        wchar_t buffer[2048] = {};
        DWORD size = sizeof(buffer) - sizeof(wchar_t), type = 0;
        present = ::RegQueryValueExW(key, w[2].c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
        value = buffer;
      }
      if (key)
        ::RegCloseKey(key);
      if (verb == L"check-no-reg") {
        if (present)
          throw Failure{w[1] + (w.size() > 2 ? L" " + w[2] : L"") + L" exists"};
      } else if (!present) {
        throw Failure{L"no registry value " + w[1] + L" " + w[2]};
      } else if (value != w[3]) {
        throw Failure{w[1] + L" " + w[2] + L" is \"" + value + L"\", not \"" + w[3] + L"\""};
      }
    } else if (verb == L"check-alias") {
      Need(w, 3, L"check-alias NAME FOLDER");
      CheckEngine(L"\\DATABASES\\" + w[1] + L"\\DB INFO", L"PATH", w[2]);
    } else if (verb == L"check-setting") {
      Need(w, 4, L"check-setting LIST NODE VALUE");
      CheckEngine(w[1], w[2], w[3]);
    } else if (verb == L"check-ini") {
      Need(w, 5, L"check-ini FILE SECTION KEY VALUE");
      wchar_t buffer[1024] = {};
      ::GetPrivateProfileStringW(w[2].c_str(), w[3].c_str(), L"\x01", buffer, 1024, w[1].c_str());
      if (buffer != w[4])
        throw Failure{L"[" + w[2] + L"] " + w[3] + L" is \"" + buffer + L"\""};
    } else {
      throw ScriptError{L"unknown action " + verb};
    }
  }

  std::map<std::wstring, std::wstring> variables_;
  std::wstring shots_;
  DWORD start_;
  HWND current_ = nullptr;
  int shotCount_ = 0;
  std::vector<HANDLE> started_;
  std::map<std::wstring, std::pair<std::wstring, Tree>> remembered_;
  // The file check-lines read, where the next then-lines starts, and the text matched last.
  struct {
    std::wstring path, text;
    size_t at;
    std::wstring last;
  } lines_{};
};

int Usage() {
  std::fprintf(stderr, "usage: robot SCENARIO [--shots FOLDER] [NAME=VALUE...]\n");
  return 2;
}

int Main(const std::vector<std::wstring>& args) {
  std::wstring scenario, shots;
  std::map<std::wstring, std::wstring> variables;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--shots" && i + 1 < args.size())
      shots = args[++i];
    else if (args[i].find(L'=') != std::wstring::npos)
      variables[args[i].substr(0, args[i].find(L'='))] = args[i].substr(args[i].find(L'=') + 1);
    else if (scenario.empty())
      scenario = args[i];
    else
      return Usage();
  }
  if (scenario.empty())
    return Usage();
  std::vector<Step> steps;
  try {
    steps = ParseScenario(Utf8ToWide(ReadFileBytes(scenario)));
  } catch (const ScriptError& error) {
    std::fprintf(stderr, "robot: %s: %s\n", Utf8(scenario).c_str(), Utf8(error.message).c_str());
    return 2;
  } catch (const Error& error) {
    std::fprintf(stderr, "robot: %s\n", error.what());
    return 2;
  }
  std::printf("scenario %s: %zu steps\n", Utf8(scenario).c_str(), steps.size());
  Robot robot(std::move(variables), shots);
  return robot.Play(steps);
}

}  // namespace
}  // namespace kolvar::robot

int wmain(int argc, wchar_t** argv) {
  return kolvar::robot::Main(std::vector<std::wstring>(argv + 1, argv + argc));
}
