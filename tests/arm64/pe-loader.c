/* pe-loader LIBRARY EXPECTED: loads an ARM64 keyboard layout library as Windows on ARM
 * would, on an ARM64 processor (here qemu-aarch64): maps it away from its preferred base
 * (which is reserved first), applies its base relocations, gives each section the
 * protection its flags ask for, calls KbdLayerDescriptor through a function pointer and
 * walks every table the record leads to. Then compares each key of EXPECTED ("number
 * scan unshifted shifted caps" in hexadecimal, one a line) with the tables.
 * Prints each finding; exit 0 when there is none, 1 on findings (a fault in the call is
 * one), 2 when the files cannot be read. A static aarch64 Linux program. */
#define _GNU_SOURCE
#include <setjmp.h>
#include <stdarg.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>

#define MACHINE_ARM64 0xAA64
#define SCN_EXECUTE 0x20000000u
#define SCN_WRITE 0x80000000u
#define REL_ABSOLUTE 0
#define REL_DIR64 10

typedef uint64_t Ptr;
struct VkToWcharTable { Ptr entries; uint8_t states, entrySize; };
struct VscLpwstr { uint8_t scan; Ptr name; };
struct KbdTables {
    Ptr modifiers, charTables, deadKeys, keyNames, extendedKeyNames, deadKeyNames, scanToVk;
    uint8_t scanCount;
    Ptr e0ScanToVk, e1ScanToVk;
    uint32_t localeFlags;
    uint8_t ligatureMax, ligatureSize;
    Ptr ligatures;
    uint32_t type, subtype;
};
_Static_assert(sizeof(struct KbdTables) == 104, "the record with 8-byte pointers");
_Static_assert(sizeof(struct VkToWcharTable) == 16 && sizeof(struct VscLpwstr) == 16, "8-byte pointers");

static unsigned char* file;
static size_t fileSize;
static uint8_t* image;
static size_t imageSize;
static int findings;

static void Find(const char* format, ...) __attribute__((format(printf, 1, 2)));
static void Find(const char* format, ...) {
    va_list args;
    va_start(args, format);
    printf("FAIL: ");
    vprintf(format, args);
    printf("\n");
    va_end(args);
    ++findings;
}

static int Bad(const char* what) {
    printf("FAIL: %s\n", what);
    return 1;
}

static uint32_t F16(size_t at) { return at + 2 <= fileSize ? (uint32_t)(file[at] | file[at + 1] << 8) : 0; }
static uint32_t F32(size_t at) { return F16(at) | F16(at + 2) << 16; }

/* Whether [p, p + size) lies inside the mapped image. */
static int Inside(uint64_t p, uint64_t size) {
    const uint64_t begin = (uint64_t)(uintptr_t)image;
    return p >= begin && p <= begin + imageSize && size <= begin + imageSize - p;
}

static const uint8_t* At(Ptr p, uint64_t size, const char* what) {
    if (Inside(p, size)) return (const uint8_t*)(uintptr_t)p;
    Find("%s at %llx lies outside the image", what, (unsigned long long)p);
    return NULL;
}

static sigjmp_buf fault;
static void OnFault(int signal) { siglongjmp(fault, signal); }

static int ReadFile(const char* path, unsigned char** bytes, size_t* size) {
    FILE* f = fopen(path, "rb");
    if (!f) return 0;
    size_t capacity = 1 << 16;
    *bytes = malloc(capacity);
    *size = 0;
    size_t got;
    while (*bytes && (got = fread(*bytes + *size, 1, capacity - *size, f)) > 0) {
        *size += got;
        if (*size == capacity) *bytes = realloc(*bytes, capacity *= 2);
    }
    fclose(f);
    return *bytes != NULL;
}

/* Maps headers and sections; returns 0 on success. */
static int Map(uint32_t pe, uint64_t preferred, uint32_t sections, uint32_t count) {
    /* The preferred base is taken first, so that every pointer must be relocated. */
    void* taken = mmap((void*)(uintptr_t)preferred, imageSize, PROT_NONE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (taken != (void*)(uintptr_t)preferred) return Bad("cannot reserve the preferred base");
    image = mmap(NULL, imageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (image == MAP_FAILED || (uint64_t)(uintptr_t)image == preferred) return Bad("cannot map the image elsewhere");
    const uint32_t headers = F32(pe + 24 + 60);
    if (headers > fileSize || headers > imageSize) return Bad("the headers do not fit");
    memcpy(image, file, headers);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t s = sections + 40u * i;
        const uint32_t virtualSize = F32(s + 8), rva = F32(s + 12), rawSize = F32(s + 16), raw = F32(s + 20);
        const uint32_t size = rawSize < virtualSize ? rawSize : virtualSize;
        if (raw > fileSize || size > fileSize - raw || rva > imageSize || virtualSize > imageSize - rva)
            return Bad("a section lies outside the file or the image");
        memcpy(image + rva, file + raw, size);
    }
    printf("mapped at %p, preferred base %llx\n", (void*)image, (unsigned long long)preferred);
    return 0;
}

/* Applies every base relocation; an unknown type is a failure, as a loader must refuse it. */
static int Relocate(uint32_t directory, uint32_t size, uint64_t delta) {
    if (directory > imageSize || size > imageSize - directory) return Bad("the relocations lie outside the image");
    unsigned applied = 0;
    for (uint32_t at = directory; at + 8 <= directory + size;) {
        uint32_t page, blockSize;
        memcpy(&page, image + at, 4);
        memcpy(&blockSize, image + at + 4, 4);
        if (blockSize < 8 || blockSize % 2 || blockSize > directory + size - at) return Bad("a relocation block is malformed");
        for (uint32_t e = at + 8; e + 2 <= at + blockSize; e += 2) {
            const uint16_t entry = (uint16_t)(image[e] | image[e + 1] << 8);
            const uint32_t type = entry >> 12, rva = page + (entry & 0xFFF);
            if (type == REL_ABSOLUTE) continue;
            if (type != REL_DIR64) {
                Find("relocation of unknown type %u at RVA %x", type, rva);
                return 1;
            }
            if (rva > imageSize - 8) return Bad("a relocation lies outside the image");
            uint64_t value;
            memcpy(&value, image + rva, 8);
            value += delta;
            memcpy(image + rva, &value, 8);
            ++applied;
        }
        at += blockSize;
    }
    printf("%u relocations applied\n", applied);
    return 0;
}

/* Each section gets what its flags give: code runs only where the execute flag is set. */
static int Protect(uint32_t sections, uint32_t count) {
    if (mprotect(image, imageSize, PROT_READ) != 0) return Bad("mprotect failed");
    for (uint32_t i = 0; i < count; ++i) {
        const size_t s = sections + 40u * i;
        const uint32_t rva = F32(s + 12), size = (F32(s + 8) + 0xFFF) & ~0xFFFu, flags = F32(s + 36);
        const int protection = PROT_READ | (flags & SCN_WRITE ? PROT_WRITE : 0) | (flags & SCN_EXECUTE ? PROT_EXEC : 0);
        if (rva % 0x1000 || rva > imageSize || size > imageSize - rva || mprotect(image + rva, size, protection) != 0)
            return Bad("a section cannot be protected as its flags ask");
    }
    __builtin___clear_cache((char*)image, (char*)image + imageSize);
    return 0;
}

static uint32_t ExportRva(uint32_t directory) {
    const uint8_t* d = At((Ptr)(uintptr_t)(image + directory), 40, "the export directory");
    if (!d || directory == 0) return 0;
    uint32_t names, nameTable, ordinals, functions, functionCount;
    memcpy(&functionCount, d + 20, 4);
    memcpy(&names, d + 24, 4);
    memcpy(&functions, d + 28, 4);
    memcpy(&nameTable, d + 32, 4);
    memcpy(&ordinals, d + 36, 4);
    for (uint32_t i = 0; i < names && i < 64; ++i) {
        uint32_t name;
        uint16_t ordinal;
        uint32_t function;
        if (!At((Ptr)(uintptr_t)(image + nameTable + 4 * i), 4, "an export name")) return 0;
        memcpy(&name, image + nameTable + 4 * i, 4);
        if (!At((Ptr)(uintptr_t)(image + name), 19, "an export name") || memcmp(image + name, "KbdLayerDescriptor", 19) != 0)
            continue;
        if (!At((Ptr)(uintptr_t)(image + ordinals + 2 * i), 2, "an ordinal")) return 0;
        memcpy(&ordinal, image + ordinals + 2 * i, 2);
        if (ordinal >= functionCount || !At((Ptr)(uintptr_t)(image + functions + 4 * ordinal), 4, "a function")) return 0;
        memcpy(&function, image + functions + 4 * ordinal, 4);
        return function;
    }
    return 0;
}

/* Every list the record points to, to its end: every pointer must land in the image. */
static void WalkLists(const struct KbdTables* t) {
    const uint8_t* modifiers = At(t->modifiers, 10, "the modifiers");
    if (modifiers) {
        Ptr bits;
        memcpy(&bits, modifiers, 8);
        for (int i = 0;; i += 2) {
            const uint8_t* pair = At(bits + i, 2, "a modifier bit");
            if (!pair || pair[0] == 0 || i > 64) break;
        }
    }
    const Ptr names[] = {t->keyNames, t->extendedKeyNames};
    for (int n = 0; n < 2; ++n)
        for (int i = 0; i < 256; ++i) {
            const uint8_t* p = At(names[n] + 16u * i, 16, "a key name");
            if (!p) break;
            const struct VscLpwstr* entry = (const struct VscLpwstr*)p;
            if (entry->scan == 0 && entry->name == 0) break;
            const uint8_t* text = At(entry->name, 2, "a key name's text");
            while (text && (text[0] || text[1])) text = At((Ptr)(uintptr_t)(text + 2), 2, "a key name's text");
        }
    const Ptr extended[] = {t->e0ScanToVk, t->e1ScanToVk};
    for (int n = 0; n < 2; ++n)
        for (int i = 0; i < 256; ++i) {
            const uint8_t* p = At(extended[n] + 4u * i, 4, "an extended scan code");
            if (!p || (p[0] == 0 && p[2] == 0 && p[3] == 0)) break;
        }
    if (t->deadKeys || t->deadKeyNames || t->ligatures) Find("our libraries have no dead keys or ligatures");
}

/* The entry of vk among the character tables of two or more levels, every table walked. */
static const uint8_t* FindEntry(Ptr tables, unsigned vk) {
    const uint8_t* found = NULL;
    for (int t = 0; t < 64; ++t) {
        const struct VkToWcharTable* table = (const void*)At(tables + 16u * t, 16, "a character table");
        if (!table || table->entries == 0) return found;
        if (table->states == 0 || table->entrySize != 2 + 2 * table->states) {
            Find("character table %d has entries of %u bytes for %u states", t, table->entrySize, table->states);
            continue;
        }
        for (int i = 0; i < 256; ++i) {
            const uint8_t* entry = At(table->entries + (uint64_t)i * table->entrySize, table->entrySize, "an entry");
            if (!entry || entry[0] == 0) break;
            if (entry[0] == vk && table->states >= 2 && !found) found = entry;
        }
    }
    Find("the character tables do not end");
    return found;
}

static void Compare(const struct KbdTables* t, const char* expected) {
    const uint8_t* scanTable = At(t->scanToVk, t->scanCount * 2u, "the scan code table");
    if (!scanTable) return;
    unsigned keys = 0, number, scan, unshifted, shifted, caps;
    for (const char* line = expected; line && *line; line = strchr(line, '\n') ? strchr(line, '\n') + 1 : NULL) {
        if (sscanf(line, "%x %x %x %x %x", &number, &scan, &unshifted, &shifted, &caps) != 5) continue;
        ++keys;
        if (scan >= t->scanCount) {
            Find("key %u: scan code %x beyond the table", number, scan);
            continue;
        }
        const unsigned vk = scanTable[2 * scan];
        const uint8_t* entry = FindEntry(t->charTables, vk);
        if (!entry) {
            Find("key %u: no characters for virtual key %02x", number, vk);
            continue;
        }
        const unsigned got[3] = {entry[2] | entry[3] << 8, entry[4] | entry[5] << 8, entry[1] & 1u};
        const unsigned want[3] = {unshifted, shifted, caps};
        static const char* const what[3] = {"unshifted", "shifted", "Caps Lock"};
        for (int i = 0; i < 3; ++i)
            /* An empty slot reads as nothing (0) or as the format's "no character". */
            if (got[i] != want[i] && !(want[i] == 0 && got[i] == 0xF000))
                Find("key %u %s: %04X, expected %04X", number, what[i], got[i], want[i]);
    }
    printf("%u keys compared\n", keys);
    if (keys == 0) Find("no keys to compare");
}

int main(int argc, char** argv) {
    unsigned char* expected;
    size_t expectedSize;
    if (argc != 3 || !ReadFile(argv[1], &file, &fileSize) || !ReadFile(argv[2], &expected, &expectedSize)) {
        printf("usage: pe-loader LIBRARY EXPECTED (both readable)\n");
        return 2;
    }
    expected = realloc(expected, expectedSize + 1);
    expected[expectedSize] = 0;

    const uint32_t pe = F32(0x3C);
    if (F16(0) != 0x5A4D || F32(pe) != 0x4550) return Bad("not a PE file");
    if (F16(pe + 4) != MACHINE_ARM64 || F16(pe + 24) != 0x20B) return Bad("not a PE32+ ARM64 image");
    const size_t opt = pe + 24;
    const uint64_t preferred = (uint64_t)F32(opt + 24) | (uint64_t)F32(opt + 28) << 32;
    imageSize = F32(opt + 56);
    if (imageSize == 0 || imageSize > (64u << 20) || preferred % 0x10000) return Bad("an unlikely image size or base");
    const uint32_t count = F16(pe + 6), sections = (uint32_t)opt + F16(pe + 20);
    if (Map(pe, preferred, sections, count)) return 1;
    if (Relocate(F32(opt + 112 + 5 * 8), F32(opt + 112 + 5 * 8 + 4), (uint64_t)(uintptr_t)image - preferred)) return 1;
    const uint32_t code = ExportRva(F32(opt + 112));
    if (code == 0 || code >= imageSize) return Bad("no KbdLayerDescriptor");
    if (Protect(sections, count)) return 1;

    typedef const struct KbdTables* (*Descriptor)(void);
    Descriptor descriptor = (Descriptor)(uintptr_t)(image + code);
    signal(SIGSEGV, OnFault);
    signal(SIGILL, OnFault);
    signal(SIGBUS, OnFault);
    const int signalled = sigsetjmp(fault, 1);
    if (signalled) {
        printf("FAIL: calling KbdLayerDescriptor raised signal %d\n", signalled);
        return 1;
    }
    const struct KbdTables* tables = descriptor();
    signal(SIGSEGV, SIG_DFL);
    printf("KbdLayerDescriptor returned %p\n", (const void*)tables);
    if (!At((Ptr)(uintptr_t)tables, sizeof *tables, "the record")) return 1;
    WalkLists(tables);
    Compare(tables, (const char*)expected);
    printf("%s\n", findings == 0 ? "every key as expected" : "differences found");
    return findings == 0 ? 0 : 1;
}
