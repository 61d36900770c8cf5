// noargv PROG: runs PROG with an empty argument list, no argument 0 at all.
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
	char *none[] = {nullptr};

	if (argc != 2) {
		(void)fprintf(stderr, "usage: noargv PROG\n");
		return 2;
	}
	execve(argv[1], none, environ);
	perror(argv[1]);
	return 126;
}
