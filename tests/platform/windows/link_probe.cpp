// Stands in for a browser: writes its arguments, one per line, to link_probe.out beside it.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string out(path);
    out = out.substr(0, out.find_last_of('\\') + 1) + "link_probe.out";
    const std::string partial = out + ".part";
    FILE* f = std::fopen(partial.c_str(), "w");
    if (!f) return 1;
    for (int i = 1; i < argc; ++i) std::fprintf(f, "%s\n", argv[i]);
    std::fclose(f);
    // Whole or not at all, for the test that waits for it.
    return MoveFileExA(partial.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
