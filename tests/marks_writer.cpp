// SPDX-License-Identifier: GPL-3.0-or-later
// marks_writer STORE KEY COUNT: adds COUNT marks for KEY to the marks store,
// printing each stored id on a line of its own as soon as it is stored.
// The crash test kills it part way.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "marks/marks_store.h"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    std::string error;
    const auto store = dusk::MarksStore::Open(argv[1], error);
    if (!store) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const long count = std::strtol(argv[3], nullptr, 10);
    for (long i = 0; i < count; ++i) {
        dusk::Mark mark;
        mark.kind = dusk::MarkKind::Distance;
        mark.points = {{1.0 + i, 2.0}, {3.0, 4.0 + i}, {5.5, 6.25}};
        mark.note = "mark " + std::to_string(i);
        const auto id = store->Add(argv[2], "V0501.img", mark, error);
        if (!id) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        std::printf("%lld\n", static_cast<long long>(*id));
        std::fflush(stdout);
    }
    return 0;
}
