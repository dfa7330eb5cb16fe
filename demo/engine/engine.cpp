// A small database engine of our own behind the engine's C API, for demonstrations and tests:
// aliases (name, driver type, folder) and a few driver settings, kept in a text file named by
// the registry value "CONFIGFILE01" of the engine's key. Databases are only "opened": the
// alias must exist, be of the PARADOX driver and point at an existing folder.
#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "sysconfig/engine_api.h"

using namespace kolvar::engine;

struct kolvar::engine::DbiDatabase {
  std::string alias;
};

namespace {

// Error numbers of this engine.
constexpr DBIResult kErrNoConfigFile = 0x2101;
constexpr DBIResult kErrNotInitialized = 0x2102;
constexpr DBIResult kErrUnknownDatabase = 0x2103;
constexpr DBIResult kErrFolderMissing = 0x2104;
constexpr DBIResult kErrAliasExists = 0x2105;
constexpr DBIResult kErrInvalidParam = 0x2106;
constexpr DBIResult kErrEndOfList = 0x2107;
constexpr DBIResult kErrNoCurrentRecord = 0x2108;
constexpr DBIResult kErrReadOnly = 0x2109;
constexpr DBIResult kErrUnknownList = 0x210A;
constexpr DBIResult kErrWriteFailed = 0x210B;

struct Node {
  std::string name;
  std::string description;
  uint16_t type;
  std::string value;
};

struct Alias {
  std::string name;
  std::string type;
  std::string path;
  bool persistent;
};

constexpr char kParadoxInit[] = "DRIVERS\\PARADOX\\INIT";
constexpr char kAliasSectionPrefix[] = "ALIAS ";

std::vector<Node> DefaultParadoxSettings() {
  return {
      {"VERSION", "Driver version", kCfgTypeText, "4.0"},
      {"TYPE", "Driver type", kCfgTypeText, "FILE"},
      {"LANGDRIVER", "Language driver", kCfgTypeText, "ascii"},
      {"NET DIR", "Shared network control folder", kCfgTypeText, ""},
      {"BLOCK SIZE", "Table block size", kCfgTypeNumber, "2048"},
      {"FILL FACTOR", "Block fill factor", kCfgTypeNumber, "95"},
      {"STRICTINTEGRTY", "Strict referential integrity", kCfgTypeBool, "TRUE"},
  };
}

struct EngineState {
  int sessions = 0;
  int initCalls = 0;
  std::wstring configFile;
  std::vector<Alias> aliases;
  std::vector<Node> paradoxSettings;
};
EngineState g_engine;

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos)
    return "";
  return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

// "\\A\\\\B\\" -> "A\B": separators may be doubled, leading or trailing.
std::string NormalizeListPath(const char* path) {
  std::string result;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' && (result.empty() || result.back() == '\\'))
      continue;
    result += *p;
  }
  if (!result.empty() && result.back() == '\\')
    result.pop_back();
  return Upper(result);
}

Alias* FindAlias(const std::string& name) {
  for (Alias& alias : g_engine.aliases)
    if (Upper(alias.name) == Upper(name))
      return &alias;
  return nullptr;
}

Node* FindNode(std::vector<Node>& nodes, const std::string& name) {
  for (Node& node : nodes)
    if (Upper(node.name) == Upper(name))
      return &node;
  return nullptr;
}

void LoadConfig() {
  g_engine.aliases.clear();
  g_engine.paradoxSettings = DefaultParadoxSettings();
  std::string bytes;
  try {
    bytes = kolvar::ReadFileBytes(g_engine.configFile);
  } catch (...) {
    return;  // a new configuration
  }
  std::string section;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos)
      end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty() || line[0] == ';')
      continue;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      if (section.rfind(kAliasSectionPrefix, 0) == 0) {
        std::string name = section.substr(std::strlen(kAliasSectionPrefix));
        if (!FindAlias(name))
          g_engine.aliases.push_back({name, "", "", true});
      }
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos)
      continue;
    std::string key = Upper(Trim(line.substr(0, equals)));
    std::string value = line.substr(equals + 1);
    if (section.rfind(kAliasSectionPrefix, 0) == 0) {
      Alias* alias = FindAlias(section.substr(std::strlen(kAliasSectionPrefix)));
      if (key == "TYPE")
        alias->type = value;
      if (key == "PATH")
        alias->path = value;
    } else if (Upper(section) == kParadoxInit) {
      if (Node* node = FindNode(g_engine.paradoxSettings, key))
        node->value = value;
      else
        g_engine.paradoxSettings.push_back({key, "", kCfgTypeText, value});
    }
  }
}

bool SaveConfig() {
  std::string text = "; database engine configuration\r\n";
  for (const Alias& alias : g_engine.aliases) {
    if (!alias.persistent)
      continue;
    text += "[" + std::string(kAliasSectionPrefix) + alias.name + "]\r\nTYPE=" + alias.type +
            "\r\nPATH=" + alias.path + "\r\n";
  }
  text += "[" + std::string(kParadoxInit) + "]\r\n";
  for (const Node& node : g_engine.paradoxSettings)
    text += node.name + "=" + node.value + "\r\n";
  try {
    kolvar::WriteFileBytes(g_engine.configFile, text);
    return true;
  } catch (...) {
    return false;
  }
}

// The nodes below `path`: the Paradox settings, or "DATABASES\<alias>\DB INFO".
std::vector<Node>* ListNodes(const std::string& path, std::vector<Node>& scratch) {
  if (path == kParadoxInit)
    return &g_engine.paradoxSettings;
  const std::string prefix = "DATABASES\\", suffix = "\\DB INFO";
  if (path.size() > prefix.size() + suffix.size() && path.rfind(prefix, 0) == 0 &&
      path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
    std::string name = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    if (Alias* alias = FindAlias(name)) {
      scratch = {{"TYPE", "Driver type", kCfgTypeText, alias->type},
                 {"PATH", "Database folder", kCfgTypeText, alias->path}};
      return &scratch;
    }
  }
  return nullptr;
}

void CopyField(char (&field)[DBIMAXSCFLDLEN], const std::string& text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

bool DirectoryExistsAnsi(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

struct kolvar::engine::DbiCursor {
  std::string path;
  std::vector<Node> nodes;  // a snapshot; writes go to the list and to this copy
  int position = -1;        // -1: before the first record
  bool writable = false;
  bool persistent = false;
};

extern "C" {

__declspec(dllexport) DBIResult __stdcall DbiInitFn(uint16_t version, DBIEnv* env) {
  if (g_engine.sessions == 0) {
    auto key = kolvar::RegistryKey::Open(HKEY_LOCAL_MACHINE, L"Software\\Borland\\Database Engine");
    std::wstring file = key ? key->ReadString(L"CONFIGFILE01").value_or(L"") : L"";
    if (file.empty())
      return kErrNoConfigFile;
    g_engine.configFile = file;
    LoadConfig();
  }
  ++g_engine.sessions;
  ++g_engine.initCalls;
  return DBIERR_NONE;
}

__declspec(dllexport) DBIResult __stdcall DbiExit() {
  if (g_engine.sessions == 0)
    return kErrNotInitialized;
  if (--g_engine.sessions == 0) {
    g_engine.aliases.clear();
    g_engine.paradoxSettings.clear();
  }
  return DBIERR_NONE;
}

__declspec(dllexport) DBIResult __stdcall DbiOpenDatabase(const char* name,
                                                          const char* type,
                                                          DBIOpenMode openMode,
                                                          DBIShareMode shareMode,
                                                          const char* password,
                                                          uint16_t optFields,
                                                          FLDDesc* optFieldDescs,
                                                          void* optParams,
                                                          hDBIDb* database) {
  if (g_engine.sessions == 0)
    return kErrNotInitialized;
  if (!name || !database)
    return kErrInvalidParam;
  *database = nullptr;
  Alias* alias = FindAlias(name);
  if (!alias || Upper(alias->type) != "PARADOX")
    return kErrUnknownDatabase;
  if (type && *type && Upper(type) != "PARADOX")
    return kErrUnknownDatabase;
  if (!DirectoryExistsAnsi(alias->path))
    return kErrFolderMissing;
  *database = new DbiDatabase{alias->name};
  return DBIERR_NONE;
}

__declspec(dllexport) DBIResult __stdcall DbiCloseDatabase(hDBIDb* database) {
  if (!database || !*database)
    return kErrInvalidParam;
  delete *database;
  *database = nullptr;
  return DBIERR_NONE;
}

__declspec(dllexport) DBIResult __stdcall DbiAddAlias(hDBICfg config,
                                                      const char* name,
                                                      const char* driverType,
                                                      const char* params,
                                                      DbiBool persistent) {
  if (g_engine.sessions == 0)
    return kErrNotInitialized;
  if (!name || !*name || !driverType || !params)
    return kErrInvalidParam;
  if (std::strlen(name) > kDbiMaxNameOrParams || std::strlen(params) > kDbiMaxNameOrParams)
    return kErrInvalidParam;
  if (FindAlias(name))
    return kErrAliasExists;
  std::string path;
  std::string list = params;
  for (size_t start = 0; start <= list.size();) {
    size_t end = list.find(';', start);
    if (end == std::string::npos)
      end = list.size();
    std::string item = list.substr(start, end - start);
    if (Upper(item).rfind("PATH:", 0) == 0)
      path = item.substr(5);
    start = end + 1;
  }
  g_engine.aliases.push_back({name, Upper(driverType), path, persistent != 0});
  return DBIERR_NONE;
}

__declspec(dllexport) DBIResult
    __stdcall DbiCfgSave(hDBICfg config, const char* file, DbiBool systemDefault) {
  if (g_engine.sessions == 0)
    return kErrNotInitialized;
  return SaveConfig() ? DBIERR_NONE : kErrWriteFailed;
}

__declspec(dllexport) DBIResult __stdcall DbiOpenCfgInfoList(hDBICfg config,
                                                             DBIOpenMode openMode,
                                                             CFGMode mode,
                                                             const char* path,
                                                             hDBICur* cursor) {
  if (g_engine.sessions == 0)
    return kErrNotInitialized;
  if (!path || !cursor)
    return kErrInvalidParam;
  *cursor = nullptr;
  std::string normalized = NormalizeListPath(path);
  std::vector<Node> scratch;
  std::vector<Node>* nodes = ListNodes(normalized, scratch);
  if (!nodes)
    return kErrUnknownList;
  // Only the driver settings can be changed; alias descriptions are read-only.
  bool writable = openMode == dbiREADWRITE && nodes == &g_engine.paradoxSettings;
  *cursor = new DbiCursor{normalized, *nodes, -1, writable, mode == cfgPersistent};
  return DBIERR_NONE;
}

__declspec(dllexport) DBIResult __stdcall DbiSetToBegin(hDBICur cursor) {
  if (!cursor)
    return kErrInvalidParam;
  cursor->position = -1;
  return DBIERR_NONE;
}

__declspec(dllexport) DBIResult
    __stdcall DbiGetNextRecord(hDBICur cursor, DBILockType lock, void* record, RECProps* props) {
  if (!cursor)
    return kErrInvalidParam;
  if (cursor->position + 1 >= static_cast<int>(cursor->nodes.size())) {
    cursor->position = static_cast<int>(cursor->nodes.size());
    return kErrEndOfList;
  }
  ++cursor->position;
  if (record) {
    const Node& node = cursor->nodes[cursor->position];
    auto* desc = static_cast<CFGDesc*>(record);
    CopyField(desc->szNodeName, node.name);
    CopyField(desc->szDescription, node.description);
    desc->iDataType = node.type;
    CopyField(desc->szValue, node.value);
    desc->bHasSubnodes = 0;
  }
  return DBIERR_NONE;
}

__declspec(dllexport) DBIResult
    __stdcall DbiModifyRecord(hDBICur cursor, void* record, DbiBool freeLock) {
  if (!cursor || !record)
    return kErrInvalidParam;
  if (!cursor->writable)
    return kErrReadOnly;
  if (cursor->position < 0 || cursor->position >= static_cast<int>(cursor->nodes.size()))
    return kErrNoCurrentRecord;
  if (g_engine.sessions == 0)
    return kErrNotInitialized;
  const auto* desc = static_cast<const CFGDesc*>(record);
  std::string value(desc->szValue, strnlen(desc->szValue, sizeof desc->szValue));
  Node& copy = cursor->nodes[cursor->position];
  copy.value = value;
  if (Node* node = FindNode(g_engine.paradoxSettings, copy.name))
    node->value = value;
  if (cursor->persistent && !SaveConfig())
    return kErrWriteFailed;
  return DBIERR_NONE;
}

__declspec(dllexport) DBIResult __stdcall DbiCloseCursor(hDBICur* cursor) {
  if (!cursor || !*cursor)
    return kErrInvalidParam;
  delete *cursor;
  *cursor = nullptr;
  return DBIERR_NONE;
}

// Not part of the engine's API: how many sessions DbiInitFn started in this process, so tests
// can see that a program starts the engine only once.
__declspec(dllexport) int __stdcall StandInInitCalls() {
  return g_engine.initCalls;
}

}  // extern "C"

// The exports must have exactly the types the installer binds them to.
static_assert(std::is_same_v<decltype(&DbiInitFn), DbiInitFnProc>);
static_assert(std::is_same_v<decltype(&DbiExit), DbiExitProc>);
static_assert(std::is_same_v<decltype(&DbiOpenDatabase), DbiOpenDatabaseProc>);
static_assert(std::is_same_v<decltype(&DbiCloseDatabase), DbiCloseDatabaseProc>);
static_assert(std::is_same_v<decltype(&DbiAddAlias), DbiAddAliasProc>);
static_assert(std::is_same_v<decltype(&DbiCfgSave), DbiCfgSaveProc>);
static_assert(std::is_same_v<decltype(&DbiOpenCfgInfoList), DbiOpenCfgInfoListProc>);
static_assert(std::is_same_v<decltype(&DbiSetToBegin), DbiSetToBeginProc>);
static_assert(std::is_same_v<decltype(&DbiGetNextRecord), DbiGetNextRecordProc>);
static_assert(std::is_same_v<decltype(&DbiModifyRecord), DbiModifyRecordProc>);
static_assert(std::is_same_v<decltype(&DbiCloseCursor), DbiCloseCursorProc>);
