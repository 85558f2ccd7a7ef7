// The benchmark codes of the run queue, the automation hand-over and the suite.
#pragma once

namespace app {

enum BenchmarkCode : int {
    kCodeMemory = 1,
    kCodeMolDyn = 2,
    kCodeOrbitra = 3,
    kCodeCipher = 4,
    kCodeDgemm = 5,
    kCodeSgemm = 6,
    kCodeStream = 7,
    kCodeAll = 8,
};

}  // namespace app
