// The limit korvel-cli is measured against: pugixml alone, with nothing of the program.
//   bare_pugixml parse FILE        parses the file and ends
//   bare_pugixml resave FILE OUT   parses it, saves the tree to OUT and syncs OUT to the disk
#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    const bool resave = argc == 4 && std::strcmp(argv[1], "resave") == 0;
    if (!resave && !(argc == 3 && std::strcmp(argv[1], "parse") == 0)) {
        std::fprintf(stderr, "usage: bare_pugixml parse FILE | resave FILE OUT\n");
        return 2;
    }
    pugi::xml_document tree;
    if (!tree.load_file(argv[2]))
        return 1;
    if (!resave)
        return 0;
    if (!tree.save_file(argv[3], "", pugi::format_raw))
        return 1;
    const int fd = ::open(argv[3], O_WRONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return synced ? 0 : 1;
}
