#include "app/processor_info.h"

namespace app {

ProcessorInfo& processor_info() {
    static ProcessorInfo info;
    return info;
}

}  // namespace app
