#include "zip/ExtractReadAhead.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "zip/Crypt.h"

namespace kp {

namespace {

// Read from the file at a time, and made visible to the consumer at a time:
// small enough that an entry's first bytes come quickly.
constexpr uint64_t ReadStep = uint64_t{64} << 10;
constexpr uint64_t PublishStep = uint64_t{16} << 10;
constexpr int LocalHeaderBytes = 30;

// Like the archive stream's read: stops at the end of the file or on an error.
uint64_t ReadAt(int Handle, uint8_t* Buffer, uint64_t Count, int64_t Offset) {
  if (Offset < 0) return 0;
  uint64_t done = 0;
  while (done < Count) {
    const ssize_t n = ::pread(Handle, Buffer + done, Count - done, static_cast<off_t>(Offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<uint64_t>(n);
  }
  return done;
}

}  // namespace

TEntryReadAhead::~TEntryReadAhead() { Stop(); }

bool TEntryReadAhead::Start(int Handle, int64_t Offset, int64_t Size, const uint32_t (&Keys)[3],
                            std::vector<TNext> Next, std::string Password) {
  Stop();
  if (Size < 0 || Offset < 0 || (Size == 0 && Next.empty())) return false;
  const int handle = ::fcntl(Handle, F_DUPFD_CLOEXEC, 0);
  if (handle < 0) return false;
  if (!FRing) FRing = std::make_unique_for_overwrite<uint8_t[]>(Capacity);
  TJob job;
  job.Offset = Offset;
  job.Size = static_cast<uint64_t>(Size);
  std::copy(Keys, Keys + 3, job.Keys);
  FHandle = handle;
  FTaken = 0;
  FConsumerJob = 0;
  FProduced = 0;
  FConsumed = 0;
  FJobsDone = Size == 0 ? 1 : 0;  // nothing of its own: done at once
  FLocatedJob = 0;
  FLocated[0] = job;
  FNext = std::move(Next);
  FPassword = std::move(Password);
  FEnded = false;
  FStop = false;
  try {
    FThread = std::thread(&TEntryReadAhead::Produce, this, job);
  } catch (const std::system_error&) {
    ::close(FHandle);
    FHandle = -1;
    return false;
  }
  return true;
}

bool TEntryReadAhead::Resume(int64_t Offset, int64_t Size, const uint32_t (&Keys)[3]) {
  if (!Active()) return false;
  {
    std::unique_lock<std::mutex> lock(FLock);
    // Once every byte of the current entry is out, the thread soon knows
    // where the next one starts; while it is still inside the current entry
    // (the decoder stopped short of its end) it is not waited for.
    FDataReady.wait(lock, [&] {
      return FEnded || FLocatedJob > FConsumerJob || FJobsDone <= FConsumerJob;
    });
    if (FLocatedJob <= FConsumerJob) return false;
    const TJob& job = FLocated[(FConsumerJob + 1) % Slots];
    if (job.Offset != Offset || Size <= 0 || job.Size != static_cast<uint64_t>(Size) ||
        !std::equal(Keys, Keys + 3, job.Keys))
      return false;
    ++FConsumerJob;
    FTaken = job.Begin;  // the rest of the previous entry is dropped
    FConsumed = FTaken;
  }
  FRoomReady.notify_one();
  return true;
}

void TEntryReadAhead::Stop() {
  if (!FThread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(FLock);
    FStop = true;
  }
  FRoomReady.notify_one();
  FThread.join();
  ::close(FHandle);
  FHandle = -1;
}

bool TEntryReadAhead::Locate(const TNext& Next, uint64_t Begin, TJob& Job) {
  if (Next.LocalHeaderOffset < 0 || Next.CompressedSize <= EncryptionHeaderSize) return false;
  // Where the data starts, by the local header's own name and extra lengths,
  // as the entry step finds it.
  uint8_t local[LocalHeaderBytes];
  if (ReadAt(FHandle, local, LocalHeaderBytes, Next.LocalHeaderOffset) != LocalHeaderBytes) return false;
  const int64_t header = Next.LocalHeaderOffset + LocalHeaderBytes + (local[26] | local[27] << 8) +
                         (local[28] | local[29] << 8);
  uint8_t encryption[EncryptionHeaderSize];
  if (ReadAt(FHandle, encryption, EncryptionHeaderSize, header) != EncryptionHeaderSize) return false;
  TZipKeys keys;
  DecryptHeaderBytes(keys, FPassword, encryption);
  Job.Begin = Begin;
  Job.Offset = header + EncryptionHeaderSize;
  Job.Size = static_cast<uint64_t>(Next.CompressedSize - EncryptionHeaderSize);
  std::copy(keys.Keys, keys.Keys + 3, Job.Keys);
  return true;
}

void TEntryReadAhead::Produce(TJob Job) {
  uint8_t* const ring = FRing.get();
  uint64_t produced = 0;
  for (uint64_t index = 0;; ++index) {
    TZipKeys keys;
    std::copy(Job.Keys, Job.Keys + 3, keys.Keys);
    const uint64_t end = Job.Begin + Job.Size;
    bool whole = true;
    while (produced < end) {
      uint64_t room;
      {
        std::unique_lock<std::mutex> lock(FLock);
        FRoomReady.wait(lock, [&] { return FStop || produced - FConsumed < Capacity; });
        if (FStop) return;
        room = Capacity - (produced - FConsumed);
      }
      const uint64_t at = produced % Capacity;
      const uint64_t want = std::min({room, Capacity - at, ReadStep, end - produced});
      const uint64_t got = ReadAt(FHandle, ring + at, want, Job.Offset + static_cast<int64_t>(produced - Job.Begin));
      for (uint64_t done = 0; done < got;) {
        const uint64_t step = std::min(PublishStep, got - done);
        keys.DecryptBuffer(ring + at + done, static_cast<uint32_t>(step));
        done += step;
        {
          std::lock_guard<std::mutex> lock(FLock);
          FProduced = produced + done;
          if (FProduced == end) FJobsDone = index + 1;
        }
        FDataReady.notify_one();
      }
      produced += got;
      if (got < want) {  // the file ended
        whole = false;
        break;
      }
    }
    if (!whole || index >= FNext.size()) break;
    {
      std::unique_lock<std::mutex> lock(FLock);
      FRoomReady.wait(lock, [&] { return FStop || index + 1 - FConsumerJob < Slots; });
      if (FStop) return;
    }
    if (!Locate(FNext[index], produced, Job)) break;
    {
      std::lock_guard<std::mutex> lock(FLock);
      FLocated[(index + 1) % Slots] = Job;
      FLocatedJob = index + 1;
    }
    FDataReady.notify_one();
  }
  {
    std::lock_guard<std::mutex> lock(FLock);
    FEnded = true;
  }
  FDataReady.notify_one();
}

int32_t TEntryReadAhead::Read(uint8_t* Buffer, int32_t Count) {
  int32_t done = 0;
  while (done < Count) {
    uint64_t ready;
    {
      std::unique_lock<std::mutex> lock(FLock);
      FDataReady.wait(lock, [&] { return FProduced > FTaken || FEnded; });
      ready = FProduced - FTaken;
    }
    if (ready == 0) break;  // the file ended
    const uint64_t at = FTaken % Capacity;
    const uint64_t n = std::min({ready, static_cast<uint64_t>(Count - done), Capacity - at});
    std::memcpy(Buffer + done, FRing.get() + at, n);
    done += static_cast<int32_t>(n);
    FTaken += n;
    {
      std::lock_guard<std::mutex> lock(FLock);
      FConsumed = FTaken;
    }
    FRoomReady.notify_one();
  }
  return done;
}

bool TReadAheadPair::Start(int Handle, int64_t Offset, int64_t Size, const uint32_t (&Keys)[3],
                           const std::vector<TEntryReadAhead::TNext>& Next, const std::string& Password) {
  Stop();
  std::vector<TEntryReadAhead::TNext> shares[2];
  for (size_t i = 0; i < Next.size(); ++i) shares[(i + 1) % 2].push_back(Next[i]);
  Turn = 0;
  if (!Lanes[0].Start(Handle, Offset, Size, Keys, std::move(shares[0]), Password)) return false;
  // The other lane has nothing of its own: it starts with the first expected entry.
  Lanes[1].Start(Handle, Offset, 0, Keys, std::move(shares[1]), Password);
  return true;
}

bool TReadAheadPair::Resume(int64_t Offset, int64_t Size, const uint32_t (&Keys)[3]) {
  if (!Lanes[1 - Turn].Resume(Offset, Size, Keys)) return false;
  Turn = 1 - Turn;
  return true;
}

}  // namespace kp
