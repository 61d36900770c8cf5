#include "dat.h"

verdict classify(std::span<const unsigned char, hdrlen> hdr, std::size_t n)
{
	if (n < hdrlen)
		return verdict::invalid;
	if (hdr[0] != sig[0] || hdr[1] != sig[1] || hdr[2] != sig[2])
		return verdict::invalid;
	if (hdr[rsoff] == rsms)
		return verdict::ms;
	if (hdr[rsoff] == rslynx)
		return verdict::lynx;
	return verdict::other;
}
