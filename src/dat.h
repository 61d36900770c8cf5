// The rules of the four-byte header that opens every .dat file.
#pragma once

#include <array>
#include <cerrno>
#include <cstddef>
#include <span>

enum class verdict { invalid, ms, lynx, other };

constexpr std::size_t hdrlen = 4;
constexpr std::array<unsigned char, 3> sig = {0xAC, 0xAA, 0x02};
constexpr long rsoff = 3;              // the ruleset byte, from the start of the file
constexpr unsigned char rsms = 0x00;   // MS ruleset
constexpr unsigned char rslynx = 0x01; // Lynx ruleset: the one byte the tool writes

// Exit statuses of the tool's own; a system failure exits with its error number.
constexpr int notms = 125;  // already Lynx, or another ruleset
constexpr int notdat = 126; // not a .dat header
constexpr int noargs = 127; // no file named

// The verdict on the first n bytes read (0 to hdrlen); bytes past n are never read.
[[nodiscard]] verdict classify(std::span<const unsigned char, hdrlen> hdr, std::size_t n);

// The status of a failed call: its error number, or EIO where it left none,
// so that a failure can never pass for success.
[[nodiscard]] constexpr int syscode(int err)
{
	return err != 0 ? err : EIO;
}
