#include <gtest/gtest.h>

#include <set>

#include "deploy/native_files.h"
#include "deploy/zip_reader.h"
#include "platform/text.h"
#include "test_files.h"
#include "zip_builder.h"

namespace kolvar::deploy {
namespace {

using namespace testing;

// What one extraction left: the message it failed with, every progress report, the tree.
struct Outcome {
  std::string message;
  std::vector<std::pair<std::wstring, uint64_t>> progress;
  std::map<std::string, FileState> tree;
  uint64_t changes = 0;
};

Outcome Extract(const std::string& archive, bool ahead, uint64_t failAt) {
  TempDir dir;
  NativeFileSystem system;
  FaultInjection faults(system, failAt);
  ReplacingTarget target(faults, Utf8ToWide(dir.path()));
  MemorySource source(archive);
  ZipArchive zip(source, L"x.zip");
  Outcome out;
  auto progress = [&](const ZipEntry& e, uint64_t position) {
    out.progress.emplace_back(e.name, position);
  };
  try {
    if (ahead)
      zip.ExtractAllInflatingAhead(target, progress);
    else
      zip.ExtractAll(target, progress);
  } catch (const ZipError& e) {
    out.message = e.what();
    // Each run has a folder of its own.
    for (size_t at; (at = out.message.find(dir.path())) != std::string::npos;)
      out.message.replace(at, dir.path().size(), "DEST");
  }
  out.tree = Snapshot(dir.path());
  out.changes = faults.Count();
  return out;
}

// Members big enough to pass in several pieces and small enough for many to wait at once;
// `damage` spoils the one in the middle.
std::string Archive(const std::string& damage) {
  std::vector<Member> members;
  for (int i = 0; i < 12; ++i)
    members.push_back({"mic/f" + std::to_string(i) + ".txt", "fisier " + std::to_string(i)});
  members.push_back({"gol/", ""});
  members.push_back({"gol.txt", ""});
  Member big{"mare/zgomot.bin", Noise(700000, 3)};
  if (damage == "crc")
    big.crc = 99;
  if (damage == "size")
    big.size = 300000;  // the data run on past the declared size
  members.push_back(big);
  Member stored{"mare/stocat.bin", Noise(300000, 5)};
  stored.method = 0;
  members.push_back(stored);
  for (int i = 0; i < 12; ++i)
    members.push_back({"dupa/f" + std::to_string(i) + ".txt", std::string(5000 + i, 'x')});
  return BuildZip(members);
}

// The second thread changes when members are inflated, nothing else: at every step where
// the disk can fail, and with damaged data, the same files, reports and message, in the
// same order, as one thread gives.
TEST(ZipInflateAhead, GivesWhatOneThreadGivesAtEveryFailure) {
  for (const std::string damage : {"", "crc", "size"}) {
    std::string archive = Archive(damage);
    Outcome whole = Extract(archive, false, 0);
    EXPECT_EQ(whole.message.empty(), damage.empty()) << damage << ": " << whole.message;
    std::set<std::string> messages;
    for (uint64_t failAt = 0; failAt <= whole.changes + 1; ++failAt) {
      Outcome one = Extract(archive, false, failAt);
      Outcome two = Extract(archive, true, failAt);
      EXPECT_EQ(two.message, one.message) << damage << ", change " << failAt;
      EXPECT_EQ(two.progress, one.progress) << damage << ", change " << failAt;
      EXPECT_EQ(two.tree, one.tree) << damage << ", change " << failAt << "\none thread:\n"
                                    << Describe(one.tree) << "two:\n"
                                    << Describe(two.tree);
      messages.insert(one.message);
    }
    // The walk met the member's own failure and the disk's at many places.
    EXPECT_GT(messages.size(), 5u) << damage;
  }
}

}  // namespace
}  // namespace kolvar::deploy
