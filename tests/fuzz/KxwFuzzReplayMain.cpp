// Replays fuzz inputs through a libFuzzer target without the fuzzer: every file named, or found in a folder named,
// on the command line goes through LLVMFuzzerTestOneInput once. A target that finds a fault aborts, failing the
// test; an empty corpus fails too, so that a moved folder is noticed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* mpucData, size_t mnSize);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> tFiles;
    for (int i = 1; i < argc; ++i) {
        std::error_code tError;
        if (std::filesystem::is_directory(argv[i], tError)) {
            for (const auto& rtEntry : std::filesystem::directory_iterator(argv[i], tError))
                if (rtEntry.is_regular_file()) tFiles.push_back(rtEntry.path());
        } else if (std::filesystem::is_regular_file(argv[i], tError)) {
            tFiles.emplace_back(argv[i]);
        } else {
            std::fprintf(stderr, "%s: cannot read\n", argv[i]);
            return 2;
        }
    }
    if (tFiles.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 2;
    }
    for (const auto& rtFile : tFiles) {
        std::ifstream tStream(rtFile, std::ios::binary);
        std::string dsData((std::istreambuf_iterator<char>(tStream)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(dsData.data()), dsData.size());
    }
    std::printf("replayed %zu inputs\n", tFiles.size());
    return 0;
}
