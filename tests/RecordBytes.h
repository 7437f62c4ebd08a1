#pragma once
#include "storage/RecordCodec.h"
#include <algorithm>
#include <cstdint>
#include <string>

// A data file's bytes up to its identity record or its versions, which come
// last where there are any: the entries' records and their Unicode texts,
// for tests about those.
inline std::string WithoutIdentities(const std::string& bytes)
{
    size_t position = 0;
    while (position < bytes.size() && bytes.size() - position >= kRecordHeaderSize && bytes[position] != kIdentityTag &&
           bytes[position] != kVersionTag) {
        uint32_t length = 0;
        for (size_t i = 4; i > 0; --i)
            length = (length << 8) | static_cast<unsigned char>(bytes[position + i]);
        position += kRecordHeaderSize + length;
    }
    return bytes.substr(0, std::min(position, bytes.size()));
}

