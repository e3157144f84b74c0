// The check a sound file passes before it reaches the sound player: plain
// PCM in a well-formed RIFF/WAVE file. Pure C++ (the fuzz build takes it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// True for a RIFF/WAVE block with a PCM "fmt " chunk of 1 or 2 channels,
// 8 or 16 bits, 8..192 kHz, followed by a non-empty "data" chunk that lies
// inside the block; otherwise false with the reason in *why (when given).
bool CheckWavBytes(const uint8_t* data, size_t n, std::string* why);
