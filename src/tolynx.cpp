// tolynx: switch .dat files from the MS ruleset to the Lynx ruleset in place.
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>

#include "dat.h"

static const char *file;
static FILE *fp;

// Switches the open file.  Returns 0, or the failure's status, with why
// set to the tool's own message for it, or left null for the system's.
// Nothing is printed here: a closed standard stream's descriptor may have
// gone to fp, and a message must never land in a data file.
[[nodiscard]] static int alter(const char *&why)
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
		return syscode(errno);

	switch (classify(hdr, n)) {
	case verdict::invalid:
		why = " is not a valid .dat file";
		return notdat;
	case verdict::lynx:
		why = " is already set for the Lynx ruleset";
		return notms;
	case verdict::other:
		why = " is not set for the MS ruleset";
		return notms;
	case verdict::ms:
		break;
	}

	// A stream open for update must be repositioned between a read and a
	// write; the one absolute seek does that and finds offset 3 at once.
	errno = 0;
	if (fseek(fp, rsoff, SEEK_SET) != 0)
		return syscode(errno);
	errno = 0;
	if (fputc(rslynx, fp) == EOF || fflush(fp) == EOF)
		return syscode(errno);
	return 0;
}

// Reports a failed file, the tool's message or the system's for code.
static void report(const char *why, int code)
{
	(void)fflush(stdout); // keep 2>&1 output in argument order
	if (why != nullptr) {
		(void)fprintf(stderr, "%s%s\n", file, why);
	} else {
		errno = code; // the flush may have changed it
		perror(file);
	}
}

int main(int argc, char *argv[])
{
	int rv = 0;

	if (argc < 2) {
		// An exec with no arguments leaves no name, or an empty one.
		const char *prog = argc > 0 && *argv[0] != '\0' ? argv[0] : "tolynx";
		(void)fprintf(stderr, "Usage: %s DATFILE ...\n", prog);
		return noargs;
	}

	for (int i = 1; i < argc; i++) {
		const char *why = nullptr;
		int code = 0;

		file = argv[i];
		errno = 0;
		if ((fp = fopen(file, "r+b")) != nullptr) {
			code = alter(why);
			errno = 0;
			if (fclose(fp) == EOF && code == 0)
				code = syscode(errno); // the last place a write can fail
		} else {
			code = syscode(errno);
		}

		if (code == 0) {
			(void)printf("%s was successfully altered\n", file);
		} else {
			report(why, code);
			rv = code;
		}
	}
	return rv;
}
