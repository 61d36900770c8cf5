// baseline VALUE FILE...: the least a switch can do per file: open, a
// positioned read of the header, a positioned write of one byte, close.
// VALUE 0 undoes a run, so the same files serve every round.
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
	unsigned char hdr[4];
	int rv = 0;

	if (argc < 3)
		return 127;
	const auto val = static_cast<unsigned char>(std::atoi(argv[1]));
	for (int i = 2; i < argc; i++) {
		const int fd = open(argv[i], O_RDWR);
		if (fd < 0) {
			perror(argv[i]);
			rv = 1;
			continue;
		}
		if (pread(fd, hdr, sizeof hdr, 0) != sizeof hdr || pwrite(fd, &val, 1, 3) != 1) {
			perror(argv[i]);
			rv = 1;
		}
		if (close(fd) != 0)
			rv = 1;
	}
	return rv;
}
