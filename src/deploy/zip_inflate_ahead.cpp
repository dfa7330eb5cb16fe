#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "deploy/zip_reader.h"

namespace kolvar::deploy {
namespace {

// What the inflating thread hands the writing one, in archive order: a member's data in
// pieces, then the end of the member (its size and CRC found right) or the failure that
// ends the run.
struct Piece {
  std::vector<char> bytes;
  bool last = false;
  std::exception_ptr failure;
};

// The hand-over between the two threads, bounded so that memory stays flat whatever the
// members' sizes.
class PieceQueue {
 public:
  // Waits for room. Returns false when the writer has given up.
  bool Push(Piece piece) {
    std::unique_lock<std::mutex> lock(mutex_);
    // A full queue is left to drain to half before it takes more: the two threads then do
    // not wake each other for every piece. (An empty queue is never full: no piece is too
    // big to pass.)
    if (bytes_ >= kMaxBytes) {
      inflaterWaiting_ = true;
      room_.wait(lock, [&] { return stopped_ || bytes_ <= kMaxBytes / 2; });
      inflaterWaiting_ = false;
    }
    if (stopped_)
      return false;
    bool wasEmpty = pieces_.empty();
    // Counted by what the buffers hold on to: a recycled one keeps its size for small pieces.
    bytes_ += piece.bytes.capacity();
    pieces_.push_back(std::move(piece));
    if (wasEmpty)
      ready_.notify_one();
    return true;
  }

  // Waits for the next piece.
  Piece Pop() {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return !pieces_.empty(); });
    Piece piece = std::move(pieces_.front());
    pieces_.pop_front();
    bytes_ -= piece.bytes.capacity();
    if (inflaterWaiting_ && bytes_ <= kMaxBytes / 2)
      room_.notify_one();
    return piece;
  }

  // A buffer for a piece, one given back when there is one (no allocation per piece).
  std::vector<char> Buffer() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.empty())
      return {};
    std::vector<char> buffer = std::move(spare_.back());
    spare_.pop_back();
    return buffer;
  }
  void GiveBack(std::vector<char> buffer) {
    std::lock_guard<std::mutex> lock(mutex_);
    spare_.push_back(std::move(buffer));
  }

  // The writer gives up: the inflater's next Push returns false.
  void Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    room_.notify_one();
  }

 private:
  static constexpr size_t kMaxBytes = ZipArchive::kInflatedAhead;
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<Piece> pieces_;
  size_t bytes_ = 0;
  bool stopped_ = false, inflaterWaiting_ = false;
  std::vector<std::vector<char>> spare_;
};

// Thrown inside the inflater when the writer has given up.
struct WriterGone {};

}  // namespace

void ZipArchive::ExtractAllInflatingAhead(ExtractTarget& target,
                                          const ProgressHandler& progress,
                                          const EntryFilter& filter) const {
  std::vector<const ZipEntry*> chosen;
  for (const ZipEntry& e : entries_)
    if (!filter || filter(e)) {
      CheckExtractable(e);
      chosen.push_back(&e);
    }

  PieceQueue queue;
  // Only this thread reads the archive (and uses the inflate workspace) while it runs.
  std::thread inflater([&] {
    for (const ZipEntry* e : chosen) {
      if (e->isDirectory())
        continue;
      Piece end;
      end.last = true;
      try {
        ReadEntry(*e, [&](const char* data, size_t size) {
          Piece piece;
          piece.bytes = queue.Buffer();
          piece.bytes.assign(data, data + size);
          if (!queue.Push(std::move(piece)))
            throw WriterGone();
        });
      } catch (const WriterGone&) {
        return;
      } catch (...) {
        // Nothing after a damaged member is read: the writer stops at it.
        end.failure = std::current_exception();
        queue.Push(std::move(end));
        return;
      }
      if (!queue.Push(std::move(end)))
        return;
    }
  });
  struct Joiner {
    PieceQueue& queue;
    std::thread& thread;
    ~Joiner() {
      queue.Stop();
      thread.join();
    }
  } joiner{queue, inflater};

  for (const ZipEntry* e : chosen)
    WriteEntry(*e, target, progress, [&](const Sink& sink, const ProgressHandler& during) {
      uint64_t written = 0;
      for (;;) {
        Piece piece = queue.Pop();
        if (piece.failure)
          std::rethrow_exception(piece.failure);
        if (piece.last)
          return;
        sink(piece.bytes.data(), piece.bytes.size());
        written += piece.bytes.size();
        if (during)
          during(*e, written);
        queue.GiveBack(std::move(piece.bytes));
      }
    });
}

}  // namespace kolvar::deploy
