// tolynx: switch .dat files from the MS ruleset to the Lynx ruleset in place.
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>

#include "dat.h"

static const char *file;
static FILE *fp;

// Reports the call that just failed on file and returns its status.
// The status is taken first: flushing and perror may change errno.
[[nodiscard]] static int syserr()
{
	const int code = syscode(errno);

	(void)fflush(stdout); // keep 2>&1 output in argument order
	errno = code;
	perror(file);
	return code;
}

// Switches the open file; returns 0, or the reported failure's status.
[[nodiscard]] static int alter()
{
	std::array<unsigned char, hdrlen> hdr{};

	// Unbuffered: the system is asked for the header alone, and the
	// byte is written by fputc itself, so its failure is seen here.
	// Should this fail, the stream stays buffered and the flush below
	// still catches the write.
	(void)setvbuf(fp, nullptr, _IONBF, 0);

	errno = 0;
	const std::size_t n = fread(hdr.data(), 1, hdr.size(), fp);
	if (ferror(fp) != 0)
		return syserr();

	const verdict v = classify(hdr, n);
	if (v != verdict::ms)
		(void)fflush(stdout); // as in syserr
	switch (v) {
	case verdict::invalid:
		(void)fprintf(stderr, "%s is not a valid .dat file\n", file);
		return notdat;
	case verdict::lynx:
		(void)fprintf(stderr, "%s is already set for the Lynx ruleset\n", file);
		return notms;
	case verdict::other:
		(void)fprintf(stderr, "%s is not set for the MS ruleset\n", file);
		return notms;
	case verdict::ms:
		break;
	}

	// A stream open for update must be repositioned between a read and a
	// write; the one absolute seek does that and finds offset 3 at once.
	errno = 0;
	if (fseek(fp, rsoff, SEEK_SET) != 0)
		return syserr();
	errno = 0;
	if (fputc(rslynx, fp) == EOF || fflush(fp) == EOF)
		return syserr();
	return 0;
}

int main(int argc, char *argv[])
{
	int rv = 0;

	if (argc < 2) {
		// An exec with no arguments leaves no name, or an empty one.
		const char *prog =
		    argc > 0 && argv[0] != nullptr && *argv[0] != '\0' ? argv[0] : "tolynx";
		(void)fprintf(stderr, "Usage: %s DATFILE ...\n", prog);
		return noargs;
	}

	for (int i = 1; i < argc; i++) {
		file = argv[i];
		errno = 0;
		if ((fp = fopen(file, "r+b")) == nullptr) {
			rv = syserr();
			continue;
		}
		int code = alter();
		errno = 0;
		if (fclose(fp) == EOF && code == 0)
			code = syserr(); // the close is the last place a write can fail
		if (code != 0)
			rv = code;
		else
			(void)printf("%s was successfully altered\n", file);
	}
	return rv;
}
