#include "membench/cache_info.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "app/format.h"

namespace membench {
namespace {

enum class Which { L1Code, L1Data, L2, Trace };

struct Descriptor {
    uint8_t code;
    Which cache;
    int size;
    const char* assoc;
    int line;
};

constexpr const char* k2Way = "2-way associative";
constexpr const char* k4Way = "4-way associative";
constexpr const char* k8Way = "8-way associative";

constexpr Descriptor kDescriptors[] = {
    {0x06, Which::L1Code, 8, k4Way, 32},  {0x08, Which::L1Code, 16, k4Way, 32},
    {0x0A, Which::L1Data, 8, k2Way, 32},  {0x0C, Which::L1Data, 16, k4Way, 32},
    {0x2C, Which::L1Data, 32, k8Way, 64}, {0x30, Which::L1Code, 32, k8Way, 64},
    {0x40, Which::L2, 0, "", 0},          {0x41, Which::L2, 128, k4Way, 32},
    {0x42, Which::L2, 256, k4Way, 32},    {0x43, Which::L2, 512, k4Way, 32},
    {0x44, Which::L2, 1024, k4Way, 32},   {0x45, Which::L2, 2048, k4Way, 32},
    {0x66, Which::L1Data, 8, k4Way, 64},  {0x67, Which::L1Data, 16, k4Way, 64},
    {0x68, Which::L1Data, 32, k4Way, 64}, {0x70, Which::Trace, 12, k8Way, 0},
    {0x71, Which::Trace, 16, k8Way, 0},   {0x72, Which::Trace, 32, k8Way, 0},
    {0x79, Which::L2, 128, k8Way, 64},    {0x7A, Which::L2, 256, k8Way, 64},
    {0x7B, Which::L2, 512, k8Way, 64},    {0x7C, Which::L2, 1024, k8Way, 64},
    {0x82, Which::L2, 256, k8Way, 32},    {0x83, Which::L2, 512, k8Way, 32},
    {0x84, Which::L2, 1024, k8Way, 32},   {0x85, Which::L2, 2048, k8Way, 32},
    {0x86, Which::L2, 512, k4Way, 64},    {0x87, Which::L2, 1024, k8Way, 64},
};

// A leaf-2 output may ask for more than one query; a hostile count must not loop for long.
constexpr int kMaxLeaf2Queries = 16;

void apply_descriptor(uint8_t byte, CacheInfo& info) {
    for (const Descriptor& d : kDescriptors) {
        if (d.code != byte) continue;
        switch (d.cache) {
            case Which::L1Code:
            case Which::Trace:
                info.l1_code_size = d.size;
                info.l1_code_line = d.line;
                info.l1_code_assoc_text = d.assoc;
                info.trace_cache = d.cache == Which::Trace ? 1 : 0;
                break;
            case Which::L1Data:
                info.l1_data_size = d.size;
                info.l1_data_line = d.line;
                info.l1_data_assoc_text = d.assoc;
                break;
            case Which::L2:
                info.l2_size = d.size;
                info.l2_line = d.line;
                info.l2_assoc_text = d.assoc;
                break;
        }
        return;
    }
}

void append_bytes(uint32_t reg, std::vector<uint8_t>& out) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(reg >> (8 * i)));
}

// Modern Intel processors name no cache in leaf 2 and point at leaf 4 with descriptor 0xFF.
// Leaf 4 lists each cache with its level, type, ways, partitions, line size and sets.
void fill_from_leaf4(app::CpuidSource& cpuid, CacheInfo& info) {
    if (cpuid.query(0).eax < 4) return;
    for (uint32_t sub = 0; sub < 32; ++sub) {
        const app::CpuidRegs r = cpuid.query(4, sub);
        const uint32_t type = r.eax & 0x1F;  // 1 data, 2 code, 3 unified
        if (type == 0) break;
        const uint32_t level = (r.eax >> 5) & 0x7;
        const bool fully = ((r.eax >> 9) & 1) != 0;
        const long ways = static_cast<long>((r.ebx >> 22) & 0x3FF) + 1;
        const long partitions = static_cast<long>((r.ebx >> 12) & 0x3FF) + 1;
        const int line = static_cast<int>(r.ebx & 0xFFF) + 1;
        const long sets = static_cast<long>(r.ecx) + 1;
        const long long bytes = static_cast<long long>(ways) * partitions * line * sets;
        const int kb = static_cast<int>(bytes / 1024);
        const std::string assoc =
            fully ? std::string("Fully associative") : app::strprintf("%ld-way associative", ways);
        if (level == 1 && type == 1) {
            info.l1_data_size = kb;
            info.l1_data_line = line;
            info.l1_data_assoc_text = assoc;
        } else if (level == 1 && type == 2) {
            info.l1_code_size = kb;
            info.l1_code_line = line;
            info.l1_code_assoc_text = assoc;
            info.trace_cache = 0;
        } else if (level == 2 && (type == 3 || type == 1)) {
            info.l2_size = kb;
            info.l2_line = line;
            info.l2_assoc_text = assoc;
        }
    }
}

std::string amd_l1_assoc(uint32_t v) {
    if (v == 255) return "Fully associative";
    if (v == 1) return "Direct mapped";
    return app::strprintf("%d-way associative", static_cast<int>(v));
}

std::string amd_l2_assoc(uint32_t code) {
    switch (code) {
        case 0:
            return "L2 off";
        case 1:
            return "Direct mapped";
        case 2:
            return "2-way associative";
        case 4:
            return "4-way associative";
        case 6:
            return "8-way associative";
        case 8:
            return "16-way associative";
        case 15:
            return "Fully associative";
        default:
            return "Unknown associativity";
    }
}

}  // namespace

void decode_intel_caches(app::CpuidSource& cpuid, CacheInfo& info) {
    info.trace_cache = 0;
    app::CpuidRegs r = cpuid.query(2);
    const int count = static_cast<int>(r.eax & 0xFF);
    std::vector<uint8_t> bytes;
    for (int q = 0; q < count && q < kMaxLeaf2Queries; ++q) {
        if (q > 0) r = cpuid.query(2);
        append_bytes(r.eax, bytes);
        append_bytes(r.ebx, bytes);
        append_bytes(r.ecx, bytes);
        append_bytes(r.edx, bytes);
    }
    bool leaf4 = false;
    // The first byte is the repeat count, not a descriptor.
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        apply_descriptor(bytes[i], info);
        if (bytes[i] == 0xFF) leaf4 = true;
    }
    if (leaf4) fill_from_leaf4(cpuid, info);

    info.l1_data_size_text = app::strprintf("%dKB", info.l1_data_size);
    info.l1_data_line_text = app::strprintf("%d byte cache line", info.l1_data_line);
    if (info.trace_cache) {
        info.l1_code_size_text = app::strprintf("%dKuop", info.l1_code_size);
        info.l1_code_line_text.clear();
    } else {
        info.l1_code_size_text = app::strprintf("%dKB", info.l1_code_size);
        info.l1_code_line_text = app::strprintf("%d byte cache line", info.l1_code_line);
    }
    info.l2_size_text = app::strprintf("%dKB", info.l2_size);
    info.l2_line_text = app::strprintf("%d byte cache line", info.l2_line);
}

void decode_amd_caches(app::CpuidSource& cpuid, CacheInfo& info) {
    const uint32_t highest = cpuid.query(0x80000000u).eax;
    (void)cpuid.query(0x80000001u);
    const app::CpuidRegs l1 = cpuid.query(0x80000005u);
    info.l1_data_size = static_cast<int>(l1.ecx >> 24);
    info.l1_code_size = static_cast<int>(l1.edx >> 24);
    info.l1_data_line = static_cast<int>(l1.ecx & 0xFF);
    info.l1_code_line = static_cast<int>(l1.edx & 0xFF);
    info.l2_size = 0;
    info.l1_code_line_text = app::strprintf("%d byte cacheline", info.l1_code_line);
    info.l1_data_line_text = app::strprintf("%d byte cacheline", info.l1_data_line);
    info.l1_code_size_text = app::strprintf("%dKB", info.l1_code_size);
    info.l1_data_size_text = app::strprintf("%dKB", info.l1_data_size);
    info.l1_data_assoc_text = amd_l1_assoc((l1.ecx >> 16) & 0xFF);
    info.l1_code_assoc_text = amd_l1_assoc((l1.edx >> 16) & 0xFF);

    if (highest < 0x80000006u) return;
    const app::CpuidRegs l2 = cpuid.query(0x80000006u);
    info.l2_size = static_cast<int>(l2.ecx >> 16);
    info.l2_line = static_cast<int>(l2.ecx & 0xFF);
    info.l2_line_text = app::strprintf("%d byte cacheline", info.l2_line);
    info.l2_size_text = app::strprintf("%dKB", info.l2_size);
    info.l2_assoc_text = amd_l2_assoc((l2.ecx >> 12) & 0xF);
}

void apply_generic_caches(CacheInfo& info) {
    info.l2_size = 128;
    info.l1_data_size = 32;
    info.l2_line = 32;
    info.l1_data_line = 32;
}

bool detect_caches(const char* vendor, app::CpuidSource& cpuid, CacheInfo& info) {
    // The 12 characters and the terminator must match: a longer or shorter text never does.
    // strnlen never reads past a shorter text.
    const std::string_view v(vendor, strnlen(vendor, 13));
    if (v == "GenuineIntel") {
        decode_intel_caches(cpuid, info);
        return true;
    }
    if (v == "AuthenticAMD") {
        decode_amd_caches(cpuid, info);
        return true;
    }
    apply_generic_caches(info);
    return false;
}

nlohmann::json cache_to_json(const CacheInfo& c) {
    auto level = [](int size, int line, const std::string& assoc, const std::string& size_text,
                    const std::string& line_text) {
        return nlohmann::json{{"size_kb", size},
                              {"line_bytes", line},
                              {"associativity", assoc},
                              {"size_text", size_text},
                              {"line_text", line_text}};
    };
    nlohmann::json code = level(c.l1_code_size, c.l1_code_line, c.l1_code_assoc_text,
                                c.l1_code_size_text, c.l1_code_line_text);
    code["trace_cache"] = c.trace_cache != 0;
    return {{"l1_code", code},
            {"l1_data", level(c.l1_data_size, c.l1_data_line, c.l1_data_assoc_text,
                              c.l1_data_size_text, c.l1_data_line_text)},
            {"l2", level(c.l2_size, c.l2_line, c.l2_assoc_text, c.l2_size_text, c.l2_line_text)}};
}

}  // namespace membench
