#pragma once
// Reading the format of a RIFF/WAVE sound file: every size in the file is
// checked against the data before it is used.

#include <cstdint>
#include <optional>

struct TWaveHeader {
    uint16_t formatTag = 0; // 1 = PCM
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t bitsPerSample = 0;
    uint32_t dataSize = 0; // bytes of sound; 0 when the file has no data chunk

    // Length of the sound in seconds; 0 when the byte rate is unknown.
    double Seconds() const { return byteRate ? double(dataSize) / byteRate : 0.0; }
};

// The header of a wave file, or nothing when the bytes are not one.
std::optional<TWaveHeader> ReadWaveHeader(const uint8_t *data, int64_t size);
