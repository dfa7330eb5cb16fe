// The database engine's C API as the installer and the stand-in engine both use it: the types,
// the configuration record and the entry points of IDAPI32.DLL, which the installer binds at
// run time by name. No <windows.h> here, so the record layout is checked in every build.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define KOLVAR_DBIFN __stdcall
#else
#define KOLVAR_DBIFN
#endif

namespace kolvar::engine {

// Every entry point returns a 16-bit result: 0 for success, an engine error number otherwise.
using DBIResult = uint16_t;
inline constexpr DBIResult DBIERR_NONE = 0;

// Booleans passed to and stored by the engine are 32-bit (0 false, anything else true).
using DbiBool = int32_t;

// Opaque handles the engine gives out.
struct DbiDatabase;
struct DbiCursor;
struct DbiConfig;
using hDBIDb = DbiDatabase*;
using hDBICur = DbiCursor*;
using hDBICfg = DbiConfig*;  // null: the engine's current configuration

// Records the installer never fills; only null pointers to them are passed.
struct DBIEnv;
struct FLDDesc;
struct RECProps;

enum DBIOpenMode : int32_t { dbiREADWRITE = 0, dbiREADONLY = 1 };
enum DBIShareMode : int32_t { dbiOPENSHARED = 0, dbiOPENEXCL = 1 };
enum DBILockType : int32_t { dbiNOLOCK = 0, dbiREADLOCK = 1, dbiWRITELOCK = 2 };
enum CFGMode : int32_t { cfgPersistent = 0, cfgSession = 1 };

// The interface version the installer asks for.
inline constexpr uint16_t kDbiInterfaceVersion = 500;

// Length of each text field of a configuration record, the terminating NUL included.
inline constexpr size_t DBIMAXSCFLDLEN = 128;
// Longest alias name or alias parameter string the engine accepts, without the NUL.
inline constexpr size_t kDbiMaxNameOrParams = 255;

// Data types a configuration value can have.
inline constexpr uint16_t kCfgTypeText = 1;
inline constexpr uint16_t kCfgTypeNumber = 2;
inline constexpr uint16_t kCfgTypeBool = 3;

// One node of a configuration list, as DbiGetNextRecord fills it and DbiModifyRecord takes it.
struct CFGDesc {
  char szNodeName[DBIMAXSCFLDLEN];     // NUL-terminated, e.g. "NET DIR"
  char szDescription[DBIMAXSCFLDLEN];  // NUL-terminated, free text
  uint16_t iDataType;                  // kCfgType...
  char szValue[DBIMAXSCFLDLEN];        // NUL-terminated value as text
  DbiBool bHasSubnodes;                // nonzero for an inner node of the tree
};

// The layout is part of the binary interface: both sides of the call must agree on it.
static_assert(offsetof(CFGDesc, szNodeName) == 0);
static_assert(offsetof(CFGDesc, szDescription) == 128);
static_assert(offsetof(CFGDesc, iDataType) == 256);
static_assert(offsetof(CFGDesc, szValue) == 258);
static_assert(offsetof(CFGDesc, bHasSubnodes) == 388);
static_assert(sizeof(CFGDesc) == 392);

extern "C" {

// Pointer types of the entry points, in the order the installer resolves them.
// Starts the engine for this process; `env` may be null.
typedef DBIResult(KOLVAR_DBIFN* DbiInitFnProc)(uint16_t version, DBIEnv* env);
// Ends the engine session started by DbiInitFn.
typedef DBIResult(KOLVAR_DBIFN* DbiExitProc)();
// Opens the database named `name` (an alias); `type` null for the alias's own driver.
typedef DBIResult(KOLVAR_DBIFN* DbiOpenDatabaseProc)(const char* name,
                                                     const char* type,
                                                     DBIOpenMode openMode,
                                                     DBIShareMode shareMode,
                                                     const char* password,
                                                     uint16_t optFields,
                                                     FLDDesc* optFieldDescs,
                                                     void* optParams,
                                                     hDBIDb* database);
// Closes `*database` and clears it.
typedef DBIResult(KOLVAR_DBIFN* DbiCloseDatabaseProc)(hDBIDb* database);
// Adds alias `name` of driver `driverType` with `params` ("PATH:<folder>").
typedef DBIResult(KOLVAR_DBIFN* DbiAddAliasProc)(hDBICfg config,
                                                 const char* name,
                                                 const char* driverType,
                                                 const char* params,
                                                 DbiBool persistent);
// Saves the persistent configuration to `file` (null: the engine's configuration file).
typedef DBIResult(KOLVAR_DBIFN* DbiCfgSaveProc)(hDBICfg config,
                                                const char* file,
                                                DbiBool systemDefault);
// Opens a cursor over the nodes below `path` (e.g. "\DRIVERS\PARADOX\INIT").
typedef DBIResult(KOLVAR_DBIFN* DbiOpenCfgInfoListProc)(hDBICfg config,
                                                        DBIOpenMode openMode,
                                                        CFGMode mode,
                                                        const char* path,
                                                        hDBICur* cursor);
// Moves the cursor before the first record.
typedef DBIResult(KOLVAR_DBIFN* DbiSetToBeginProc)(hDBICur cursor);
// Reads the next record into `record` (a CFGDesc for configuration lists); non-zero at the end.
typedef DBIResult(KOLVAR_DBIFN* DbiGetNextRecordProc)(hDBICur cursor,
                                                      DBILockType lock,
                                                      void* record,
                                                      RECProps* props);
// Replaces the current record with `record`.
typedef DBIResult(KOLVAR_DBIFN* DbiModifyRecordProc)(hDBICur cursor,
                                                     void* record,
                                                     DbiBool freeLock);
// Closes `*cursor` and clears it.
typedef DBIResult(KOLVAR_DBIFN* DbiCloseCursorProc)(hDBICur* cursor);

}  // extern "C"

}  // namespace kolvar::engine
