#pragma once
// Decryption of encrypted entries' data ahead of the decoder, on a second
// thread. Decryption is a serial chain over every byte, about as slow as
// inflate, CRC and writing together; run beside them it costs little wall time.
// The thread reads through a descriptor of its own at absolute offsets, so the
// archive stream is never shared, and decrypts with a copy of the keys that
// the password check left. The consumer takes the bytes in whatever pieces it
// asked of the archive before, and gets fewer only where the file ended.
//
// While the decoder works through the end of one entry, the thread goes on
// with the entries the caller expects next (their local headers and the
// password). What it made of one is used only when the caller, at that entry,
// finds the very offset, size and keys it would start a read-ahead with;
// otherwise the caller stops this one and starts afresh.
//
// Decryption cannot be split inside an entry, so TReadAheadPair runs two of
// them that take the expected entries in turn: two entries are decrypted at
// once while the decoder works on a third.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kp {

class TEntryReadAhead {
 public:
  // An entry expected after the one being read.
  struct TNext {
    int64_t LocalHeaderOffset;
    int64_t CompressedSize;  // with the encryption header
  };
  // No more are taken at a time.
  static constexpr size_t MaxNext = 256;

  TEntryReadAhead() = default;
  // Stops a running read-ahead and waits for its thread.
  ~TEntryReadAhead();
  TEntryReadAhead(const TEntryReadAhead&) = delete;
  TEntryReadAhead& operator=(const TEntryReadAhead&) = delete;

  // Starts reading Size bytes of the open file Handle from Offset, decrypted
  // with Keys (the keys after the encryption header), then the data of the
  // entries Next in turn, decrypted with Password. Size 0 starts with Next at
  // once. False when no descriptor or thread could be had (or there is nothing
  // to read): the caller reads as before.
  bool Start(int Handle, int64_t Offset, int64_t Size, const uint32_t (&Keys)[3], std::vector<TNext> Next,
             std::string Password);
  // Moves on to the next entry's data when the thread went on with exactly
  // Offset, Size and Keys (what is left of the current entry is dropped);
  // false otherwise, with nothing changed.
  bool Resume(int64_t Offset, int64_t Size, const uint32_t (&Keys)[3]);
  bool Active() const { return FThread.joinable(); }
  // The next Count decrypted bytes of the current entry into Buffer; fewer
  // only when the file ended (or could not be read) before them. Never asks
  // past the entry's Size.
  int32_t Read(uint8_t* Buffer, int32_t Count);
  // Ends the read-ahead; whatever it has not delivered is dropped.
  void Stop();

 private:
  struct TJob {
    uint64_t Begin = 0;  // position of its first byte in the ring's stream
    int64_t Offset = 0;
    uint64_t Size = 0;
    uint32_t Keys[3] = {};
  };
  void Produce(TJob Job);
  // Reads Next's local and encryption headers; false when the file has not got them.
  bool Locate(const TNext& Next, uint64_t Begin, TJob& Job);

  // Bounded: the thread runs at most this far ahead of the decoder.
  static constexpr uint64_t Capacity = uint64_t{3} << 20;

  std::unique_ptr<uint8_t[]> FRing;  // kept between entries, its pages stay mapped
  int FHandle = -1;
  uint64_t FTaken = 0;  // the consumer's count; published as FConsumed
  std::vector<TNext> FNext;  // the thread's, while it runs
  std::string FPassword;
  std::thread FThread;

  // Shared with the thread, under FLock.
  std::mutex FLock;
  std::condition_variable FDataReady;  // the thread's news: bytes, a job done or located, the end
  std::condition_variable FRoomReady;  // the consumer's news: room, a hint, stop
  uint64_t FProduced = 0;
  uint64_t FConsumed = 0;
  uint64_t FConsumerJob = 0;  // the job whose data Read delivers
  uint64_t FJobsDone = 0;     // jobs whose every byte is in FProduced
  uint64_t FLocatedJob = 0;   // the last job the thread took on
  static constexpr uint64_t Slots = 256;  // jobs located ahead of the consumer's, at most
  TJob FLocated[Slots];       // job J in FLocated[J % Slots]
  bool FEnded = false;       // no byte follows FProduced
  bool FStop = false;
};

// Two read-aheads: the one that serves the current entry goes on with every
// second expected entry, the other with those in between.
struct TReadAheadPair {
  TEntryReadAhead Lanes[2];
  int Turn = 0;  // the lane serving the current entry

  // Set by the caller when a new entry's keys are made; cleared once that
  // entry's data is first wanted.
  bool NewEntry = false;
  // Where the caller's search of its entry list starts next time.
  int SearchFrom = 0;

  // As TEntryReadAhead::Start, the current entry on lane 0 and the expected
  // entries Next shared out between the lanes.
  bool Start(int Handle, int64_t Offset, int64_t Size, const uint32_t (&Keys)[3],
             const std::vector<TEntryReadAhead::TNext>& Next, const std::string& Password);
  // Moves on to the next expected entry on the other lane (see TEntryReadAhead::Resume).
  bool Resume(int64_t Offset, int64_t Size, const uint32_t (&Keys)[3]);
  bool Active() const { return Lanes[Turn].Active(); }
  TEntryReadAhead& Current() { return Lanes[Turn]; }
  void Stop() {
    Lanes[0].Stop();
    Lanes[1].Stop();
  }
};

}  // namespace kp
