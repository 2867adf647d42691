#include "workbook/xlsx/deflate.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace rowbit::xlsx {

namespace {

constexpr std::size_t inputChunk = 256u << 10;
// Room for a piece that does not compress at all: stored blocks add 5 bytes per 64 kB.
constexpr std::size_t outputRoom =
    ParallelDeflater::pieceSize + ParallelDeflater::pieceSize / 64 + 1024;

Error corrupt(const std::string& what) {
    return makeError(ErrorCode::Damaged, "a part cannot be inflated: " + what);
}

// Deflate's stored blocks: always possible, never larger than the room above.
std::size_t storeBlocks(const char* in, std::size_t size, std::uint8_t* out) {
    std::size_t written = 0;
    while (size > 0) {
        const auto n = static_cast<std::uint16_t>(std::min<std::size_t>(size, 65535));
        const auto inverse = static_cast<std::uint16_t>(~n);
        const std::uint8_t header[5] = {
            0, static_cast<std::uint8_t>(n & 0xff), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(inverse & 0xff), static_cast<std::uint8_t>(inverse >> 8)};
        std::memcpy(out + written, header, 5);
        std::memcpy(out + written + 5, in, n);
        written += 5 + n;
        in += n;
        size -= n;
    }
    return written;
}

} // namespace

Inflater::Inflater(ByteSource compressed, std::uint64_t size, std::uint32_t crc)
    : compressed_(std::move(compressed)), left_(size), crc_(crc),
      state_(std::make_unique<inflate_state>()), input_(new char[inputChunk]) {
    isal_inflate_init(state_.get());
    state_->crc_flag = ISAL_GZIP_NO_HDR; // raw deflate; keeps the CRC-32 of the output
}

Inflater::~Inflater() = default;

Result<std::size_t> Inflater::read(char* buffer, std::size_t size) {
    if (ended_ || size == 0)
        return std::size_t{0};
    inflate_state& st = *state_;
    st.next_out = reinterpret_cast<std::uint8_t*>(buffer);
    st.avail_out = static_cast<std::uint32_t>(std::min<std::size_t>(size, UINT32_MAX));
    const std::uint32_t room = st.avail_out;
    while (st.avail_out > 0) {
        if (st.avail_in == 0 && !inputEnded_) {
            auto n = compressed_(input_.get(), inputChunk);
            if (!n)
                return n.error();
            inputEnded_ = *n == 0;
            st.next_in = reinterpret_cast<std::uint8_t*>(input_.get());
            st.avail_in = static_cast<std::uint32_t>(*n);
        }
        const std::uint32_t inBefore = st.avail_in;
        const std::uint32_t outBefore = st.avail_out;
        const int rc = isal_inflate(&st);
        if (rc < 0)
            return corrupt(rc == ISAL_INVALID_LOOKBACK ? "a back reference points before the start"
                                                       : "the deflate data is corrupt");
        if (st.block_state == ISAL_BLOCK_FINISH) {
            ended_ = true;
            break;
        }
        const bool moved = st.avail_in != inBefore || st.avail_out != outBefore;
        if (!moved && (inputEnded_ || st.avail_in > 0))
            return corrupt("the compressed data ends too early");
    }
    return finish(room - st.avail_out);
}

Result<std::size_t> Inflater::finish(std::size_t produced) {
    if (produced > left_)
        return makeError(ErrorCode::Damaged, "a part is larger than its directory says");
    left_ -= produced;
    if (ended_) {
        if (left_ != 0)
            return makeError(ErrorCode::Damaged, "a part is shorter than its directory says");
        if (state_->crc != crc_)
            return makeError(ErrorCode::Damaged, "a part fails its CRC check");
    }
    return produced;
}

ParallelDeflater::ParallelDeflater(ByteSource producer, unsigned threads)
    : producer_(std::move(producer)), threads_(threads) {}

ParallelDeflater::~ParallelDeflater() = default;

bool ParallelDeflater::fill(Piece& piece, Result<void>& failure) {
    if (!piece.input) {
        piece.input.reset(new char[pieceSize]);
        piece.output.reset(new std::uint8_t[outputRoom]);
    }
    piece.inputSize = 0;
    piece.outputSize = 0;
    while (piece.inputSize < pieceSize) {
        auto n = producer_(piece.input.get() + piece.inputSize, pieceSize - piece.inputSize);
        if (!n) {
            failure = n.error();
            return false;
        }
        if (*n == 0)
            return false;
        piece.inputSize += *n;
    }
    return true;
}

void ParallelDeflater::compress(Piece& piece, std::vector<std::uint8_t>& levelBuffer) {
    const auto* in = reinterpret_cast<const unsigned char*>(piece.input.get());
    piece.crc = crc32_gzip_refl(0, in, piece.inputSize);
    if (piece.inputSize == 0)
        return;
    isal_zstream s;
    isal_deflate_stateless_init(&s);
    s.next_in = const_cast<std::uint8_t*>(in);
    s.avail_in = static_cast<std::uint32_t>(piece.inputSize);
    s.next_out = piece.output.get();
    s.avail_out = static_cast<std::uint32_t>(outputRoom);
    s.level = 1;
    s.level_buf = levelBuffer.data();
    s.level_buf_size = static_cast<std::uint32_t>(levelBuffer.size());
    s.flush = FULL_FLUSH; // ends on a byte boundary, referring to nothing before it
    s.end_of_stream = 0;
    s.gzip_flag = IGZIP_DEFLATE;
    if (isal_deflate_stateless(&s) == COMP_OK)
        piece.outputSize = s.total_out;
    else
        piece.outputSize = storeBlocks(piece.input.get(), piece.inputSize, piece.output.get());
}

void ParallelDeflater::fillInOrder(Piece& piece) {
    piece.pastEnd = producerEnded_;
    piece.failure = {};
    if (producerEnded_)
        return;
    if (!fill(piece, piece.failure))
        producerEnded_ = true;
}

Result<void> ParallelDeflater::nextPiece() {
    if (threads_ == 0) {
        if (producerEnded_) {
            drained_ = true;
            return {};
        }
        fillInOrder(current_);
        if (!current_.failure.ok())
            return current_.failure;
        if (levelBuffers_.empty())
            levelBuffers_.emplace_back(ISAL_DEF_LVL1_DEFAULT);
        compress(current_, levelBuffers_[0]);
    } else {
        if (!workers_) {
            // Started with the first read, so that producers of different parts never run at
            // once. A few pieces ahead of the reader, no more: each holds its buffers.
            levelBuffers_.resize(threads_ + 1);
            workers_ = std::make_unique<OrderedWorkers<Piece>>(
                threads_, OrderedWorkers<Piece>::Steps{
                              .inOrder = [this](Piece& piece, std::size_t) { fillInOrder(piece); },
                              .run =
                                  [this](Piece& piece, std::size_t worker) {
                                      if (piece.pastEnd || !piece.failure.ok())
                                          return;
                                      std::vector<std::uint8_t>& levelBuffer =
                                          levelBuffers_[worker];
                                      if (levelBuffer.empty())
                                          levelBuffer.resize(ISAL_DEF_LVL1_DEFAULT);
                                      compress(piece, levelBuffer);
                                  }});
            for (unsigned i = 0; i < threads_ + 2; ++i)
                workers_->submit(std::make_unique<Piece>());
        }
        std::unique_ptr<Piece> piece = workers_->takeFinished(true);
        if (!piece->failure.ok())
            return piece->failure;
        if (piece->pastEnd) {
            drained_ = true;
            workers_.reset(); // nothing is left to fill: the threads end here
            return {};
        }
        // The piece read before goes round again with its buffers.
        std::swap(current_, *piece);
        workers_->submit(std::move(piece));
    }
    offset_ = 0;
    crc_ = static_cast<std::uint32_t>(
        crc32_combine(crc_, current_.crc, static_cast<z_off_t>(current_.inputSize)));
    size_ += current_.inputSize;
    return {};
}

Result<std::size_t> ParallelDeflater::read(char* buffer, std::size_t size) {
    while (true) {
        if (offset_ < current_.outputSize) {
            const std::size_t n = std::min(size, current_.outputSize - offset_);
            std::memcpy(buffer, current_.output.get() + offset_, n);
            offset_ += n;
            return n;
        }
        if (drained_) {
            if (trailerSent_) {
                ended_ = true;
                return std::size_t{0};
            }
            // The last block: final, fixed codes, nothing but its end.
            if (!current_.output)
                current_.output.reset(new std::uint8_t[outputRoom]);
            current_.output[0] = 0x03;
            current_.output[1] = 0x00;
            current_.outputSize = 2;
            offset_ = 0;
            trailerSent_ = true;
            continue;
        }
        if (auto r = nextPiece(); !r)
            return r.error();
    }
}

} // namespace rowbit::xlsx
