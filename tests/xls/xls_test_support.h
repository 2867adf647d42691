#pragma once
// Helpers the binary workbook tests share: the substreams of a saved file, compared the way
// a reader sees them, and running Debian's python with the peers.

#include "workbook/xls/biff.h"
#include "workbook/xls/compound_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace rowbit::xls::testing {

inline std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline CompoundFile readCompound(const std::string& path) {
    const auto bytes = readBytes(path);
    auto file = readCompoundFile(bytes.data(), bytes.size(), path);
    return file ? std::move(*file) : CompoundFile{};
}

// Each BOUNDSHEET's substream, with INDEX's absolute positions made relative to the
// substream's start (the only bytes that must change when a sheet moves in the stream).
inline std::vector<std::vector<uint8_t>> substreams(const std::vector<uint8_t>& stream) {
    std::vector<std::vector<uint8_t>> out;
    RecordCursor cur(stream);
    RecordView rv;
    std::vector<uint32_t> starts;
    while (cur.next(rv)) {
        if (rv.type == rec::BoundSheet && rv.body.size() >= 4)
            starts.push_back(rd32(rv.body.data()));
        if (rv.type == rec::Eof)
            break;
    }
    for (uint32_t start : starts) {
        std::vector<uint8_t> sub;
        RecordCursor sc(stream, start);
        int depth = 0;
        while (sc.next(rv)) {
            std::vector<uint8_t> bytes(stream.begin() + rv.offset,
                                       stream.begin() + rv.offset + 4 + rv.body.size());
            if (rv.type == rec::Index && depth == 1) {
                for (std::size_t p = 4 + 12; p + 4 <= bytes.size(); p += 4) {
                    const uint32_t v = rd32(&bytes[p]);
                    if (v != 0)
                        wr32(&bytes[p], v - start);
                }
            }
            sub.insert(sub.end(), bytes.begin(), bytes.end());
            if (rv.type == rec::Bof)
                ++depth;
            if (rv.type == rec::Eof && --depth <= 0)
                break;
        }
        out.push_back(std::move(sub));
    }
    return out;
}

// Runs a command, returning its exit status and what it printed.
inline int run(const std::string& command, std::string& output) {
    output.clear();
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return -1;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        output.append(buf, n);
    const int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace rowbit::xls::testing
