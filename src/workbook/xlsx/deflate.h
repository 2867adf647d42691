#pragma once
// Raw deflate streams for the big parts of a package, with the fast deflate library: an
// inflater that checks what it yields against the zip directory's size and CRC-32, and a
// deflater that compresses a stream in pieces on several threads and joins them in order.

#include "app/parallel.h"
#include "app/result.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct inflate_state;

namespace rowbit::xlsx {

// Fills `buffer` with up to `size` bytes; 0 means the end.
using ByteSource = std::function<Result<std::size_t>(char* buffer, std::size_t size)>;

// Inflates one raw deflate stream read from `compressed`.
class Inflater {
public:
    Inflater(ByteSource compressed, std::uint64_t size, std::uint32_t crc);
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflated bytes; 0 once the stream has ended whole, its size and CRC-32 as declared.
    Result<std::size_t> read(char* buffer, std::size_t size);

private:
    Result<std::size_t> finish(std::size_t produced);

    ByteSource compressed_;
    std::uint64_t left_; // inflated bytes the directory still promises
    std::uint32_t crc_;
    std::unique_ptr<inflate_state> state_;
    std::unique_ptr<char[]> input_;
    bool inputEnded_ = false;
    bool ended_ = false;
};

// Deflates what `producer` yields as one raw deflate stream. Each piece of the input is
// compressed on its own and ends on a byte boundary, so pieces compress on several threads at
// once and join into one stream; a last empty block ends it.
class ParallelDeflater {
public:
    // threads 0: the producer runs on the caller's thread, and so does the compression.
    // Otherwise the threads start with the first read, so that producers of different parts
    // never run at once, and end once the producer's bytes are all compressed.
    ParallelDeflater(ByteSource producer, unsigned threads);
    ~ParallelDeflater();
    ParallelDeflater(const ParallelDeflater&) = delete;
    ParallelDeflater& operator=(const ParallelDeflater&) = delete;

    // Compressed bytes; 0 at the end, after which size() and crc() describe the input.
    Result<std::size_t> read(char* buffer, std::size_t size);
    bool ended() const { return ended_; }
    std::uint64_t size() const { return size_; }
    std::uint32_t crc() const { return crc_; }

    static constexpr std::size_t pieceSize = 1u << 20;

private:
    struct Piece {
        std::unique_ptr<char[]> input;
        std::size_t inputSize = 0;
        std::unique_ptr<std::uint8_t[]> output;
        std::size_t outputSize = 0;
        std::uint32_t crc = 0; // of the input
        bool pastEnd = false;  // asked for after the producer had ended: holds nothing
        Result<void> failure;  // the producer's
    };
    // Fills `piece` from the producer; false when the producer has ended or failed.
    bool fill(Piece& piece, Result<void>& failure);
    // The workers' steps: filling, one piece at a time in order, then compressing.
    void fillInOrder(Piece& piece);
    static void compress(Piece& piece, std::vector<std::uint8_t>& levelBuffer);
    // Makes the next compressed piece current, or marks the input drained.
    Result<void> nextPiece();

    ByteSource producer_;
    unsigned threads_;
    bool producerEnded_ = false; // touched by one filling step at a time
    // One compression scratch buffer per worker (0: the caller's, without threads).
    std::vector<std::vector<std::uint8_t>> levelBuffers_;
    // After what its threads use, so that it joins them before that goes.
    std::unique_ptr<OrderedWorkers<Piece>> workers_;

    // The reader's side only.
    Piece current_;
    std::size_t offset_ = 0;
    bool drained_ = false;
    bool trailerSent_ = false;
    bool ended_ = false;
    std::uint64_t size_ = 0;
    std::uint32_t crc_ = 0;
};

} // namespace rowbit::xlsx
