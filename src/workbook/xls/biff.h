#pragma once
// BIFF8 record plumbing: little-endian reads that never run past their buffer, a record
// cursor over a workbook stream, and a byte sink that splits long records into CONTINUEs.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace rowbit::xls {

namespace rec {
constexpr uint16_t Formula = 0x0006;
constexpr uint16_t Formula3 = 0x0206; // older writers' FORMULA types, BIFF8 layout
constexpr uint16_t Formula4 = 0x0406;
constexpr uint16_t Eof = 0x000A;
constexpr uint16_t CalcCount = 0x000C;
constexpr uint16_t CalcMode = 0x000D;
constexpr uint16_t Precision = 0x000E;
constexpr uint16_t RefMode = 0x000F;
constexpr uint16_t Delta = 0x0010;
constexpr uint16_t Iteration = 0x0011;
constexpr uint16_t Protect = 0x0012;
constexpr uint16_t Password = 0x0013;
constexpr uint16_t Header = 0x0014;
constexpr uint16_t Footer = 0x0015;
constexpr uint16_t WindowProtect = 0x0019;
constexpr uint16_t DateMode = 0x0022;
constexpr uint16_t Filepass = 0x002F;
constexpr uint16_t Font = 0x0031;
constexpr uint16_t Continue = 0x003C;
constexpr uint16_t Window1 = 0x003D;
constexpr uint16_t Backup = 0x0040;
constexpr uint16_t CodePage = 0x0042;
constexpr uint16_t DefColWidth = 0x0055;
constexpr uint16_t SaveRecalc = 0x005F;
constexpr uint16_t ObjProtect = 0x0063;
constexpr uint16_t ColInfo = 0x007D;
constexpr uint16_t Rk4 = 0x007E; // BIFF3/4 RK, seen in some old writers' BIFF8 files
constexpr uint16_t Guts = 0x0080;
constexpr uint16_t WsBool = 0x0081;
constexpr uint16_t GridSet = 0x0082;
constexpr uint16_t HCenter = 0x0083;
constexpr uint16_t VCenter = 0x0084;
constexpr uint16_t BoundSheet = 0x0085;
constexpr uint16_t Country = 0x008C;
constexpr uint16_t HideObj = 0x008D;
constexpr uint16_t Palette = 0x0092;
constexpr uint16_t StandardWidth = 0x0099;
constexpr uint16_t Setup = 0x00A1;
constexpr uint16_t MulRk = 0x00BD;
constexpr uint16_t MulBlank = 0x00BE;
constexpr uint16_t RString = 0x00D6;
constexpr uint16_t DbCell = 0x00D7;
constexpr uint16_t BookBool = 0x00DA;
constexpr uint16_t Xf = 0x00E0;
constexpr uint16_t InterfaceHdr = 0x00E1;
constexpr uint16_t InterfaceEnd = 0x00E2;
constexpr uint16_t Mms = 0x00C1;
constexpr uint16_t Sst = 0x00FC;
constexpr uint16_t LabelSst = 0x00FD;
constexpr uint16_t ExtSst = 0x00FF;
constexpr uint16_t TabId = 0x013D;
constexpr uint16_t UsesElfs = 0x0160;
constexpr uint16_t Dsf = 0x0161;
constexpr uint16_t WriteAccess = 0x005C;
constexpr uint16_t FnGroupCount = 0x009C;
constexpr uint16_t Prot4Rev = 0x01AF;
constexpr uint16_t Prot4RevPass = 0x01BC;
constexpr uint16_t RefreshAll = 0x01B7;
constexpr uint16_t Dimensions = 0x0200;
constexpr uint16_t Blank = 0x0201;
constexpr uint16_t Number = 0x0203;
constexpr uint16_t Label = 0x0204;
constexpr uint16_t BoolErr = 0x0205;
constexpr uint16_t String = 0x0207;
constexpr uint16_t Row = 0x0208;
constexpr uint16_t Index = 0x020B;
constexpr uint16_t Array = 0x0221;
constexpr uint16_t Note = 0x001C;
constexpr uint16_t Uncalced = 0x005E;
constexpr uint16_t MergedCells = 0x00E5;
constexpr uint16_t CondFmt = 0x01B0;
constexpr uint16_t Cf = 0x01B1;
constexpr uint16_t DVal = 0x01B2;
constexpr uint16_t HLink = 0x01B8;
constexpr uint16_t Dv = 0x01BE;
constexpr uint16_t RecalcId = 0x01C1;
constexpr uint16_t HLinkTooltip = 0x0800;
constexpr uint16_t DefaultRowHeight = 0x0225;
constexpr uint16_t Table = 0x0236;
constexpr uint16_t Window2 = 0x023E;
constexpr uint16_t Rk = 0x027E;
constexpr uint16_t Style = 0x0293;
constexpr uint16_t Format = 0x041E;
constexpr uint16_t ShrFmla = 0x04BC;
constexpr uint16_t Bof = 0x0809;
constexpr uint16_t Bof2 = 0x0009;
constexpr uint16_t Bof3 = 0x0209;
constexpr uint16_t Bof4 = 0x0409;
} // namespace rec

// BIFF8 limits: a record body holds at most 8224 bytes; the grid is 65,536 x 256.
constexpr std::size_t kMaxRecordBody = 8224;
constexpr int kMaxRows = 65536;
constexpr int kMaxCols = 256;

inline uint16_t rd16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t rd32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline double rdDouble(const uint8_t* p) {
    double d;
    std::memcpy(&d, p, 8);
    return d;
}
inline void wr16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void wr32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// One record as found in a stream: its type, its body and where its header starts.
struct RecordView {
    uint16_t type = 0;
    std::span<const uint8_t> body;
    std::size_t offset = 0;
};

// Walks the records of a stream. next() is false at the end or at a record whose declared
// length runs past the stream (truncated() then says so).
class RecordCursor {
public:
    explicit RecordCursor(std::span<const uint8_t> stream, std::size_t start = 0)
        : stream_(stream), pos_(start) {}

    bool next(RecordView& out) {
        if (pos_ + 4 > stream_.size()) {
            truncated_ = pos_ < stream_.size();
            return false;
        }
        const uint16_t type = rd16(&stream_[pos_]);
        const uint16_t len = rd16(&stream_[pos_ + 2]);
        if (pos_ + 4 + len > stream_.size()) {
            truncated_ = true;
            return false;
        }
        out.type = type;
        out.body = stream_.subspan(pos_ + 4, len);
        out.offset = pos_;
        pos_ += 4 + static_cast<std::size_t>(len);
        return true;
    }
    // The type of the record after the current one, or -1 at the end.
    int peekType() const {
        if (pos_ + 4 > stream_.size())
            return -1;
        return rd16(&stream_[pos_]);
    }
    std::size_t position() const { return pos_; }
    bool truncated() const { return truncated_; }

private:
    std::span<const uint8_t> stream_;
    std::size_t pos_ = 0;
    bool truncated_ = false;
};

// A growing byte buffer for writing records.
class ByteSink {
public:
    std::vector<uint8_t> bytes;

    std::size_t size() const { return bytes.size(); }
    void u8(uint8_t v) { bytes.push_back(v); }
    void u16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void f64(double d) {
        uint8_t b[8];
        std::memcpy(b, &d, 8);
        raw(b, 8);
    }
    void raw(const uint8_t* p, std::size_t n) { bytes.insert(bytes.end(), p, p + n); }
    void raw(std::span<const uint8_t> s) { raw(s.data(), s.size()); }

    // A whole record; bodies longer than one record go on in CONTINUE records.
    void record(uint16_t type, std::span<const uint8_t> body) {
        std::size_t done = 0;
        uint16_t t = type;
        do {
            const std::size_t n = std::min(kMaxRecordBody, body.size() - done);
            u16(t);
            u16(static_cast<uint16_t>(n));
            raw(body.data() + done, n);
            done += n;
            t = rec::Continue;
        } while (done < body.size());
    }
    // Starts a record whose length is patched by end().
    std::size_t begin(uint16_t type) {
        u16(type);
        u16(0);
        return bytes.size();
    }
    void end(std::size_t bodyStart) {
        wr16(&bytes[bodyStart - 2], static_cast<uint16_t>(bytes.size() - bodyStart));
    }
};

// UTF-16 code units to UTF-8 (unpaired surrogates become U+FFFD).
void appendUtf8FromUtf16(std::string& out, const uint16_t* units, std::size_t n);
// Latin-1 (the "compressed" 8-bit form of BIFF8 strings) to UTF-8.
void appendUtf8FromLatin1(std::string& out, const uint8_t* chars, std::size_t n);
// UTF-8 to UTF-16 code units (invalid sequences become U+FFFD).
std::u16string utf16FromUtf8(std::string_view text);
void utf16FromUtf8(std::string_view text, std::u16string& out); // reuses out's room

} // namespace rowbit::xls
