/* A few keys of a layout library's tables written in C, for a real ARM64 toolchain
 * (clang --target=aarch64-pc-windows-msvc, lld-link /machine:arm64): the headers,
 * section flags, relocations and KbdLayerDescriptor code that linker makes are what
 * ours are compared with, and the same loader test walks both. Our own declarations of
 * the record, with 8-byte pointers as on every 64-bit Windows. */
typedef unsigned char Byte;
typedef unsigned short Unit;

struct VkToBit { Byte vk, bits; };
struct Modifiers { const struct VkToBit* vkToBit; Unit maxBits; Byte numbers[4]; };
struct Entry2 { Byte vk, attributes; Unit chars[2]; };
struct CharTable { const void* entries; Byte states, entrySize; };
struct KeyName { Byte scan; const Unit* name; };
struct ScanVk { Byte scan; Unit vk; };
struct Tables {
    const struct Modifiers* modifiers;
    const struct CharTable* charTables;
    const void* deadKeys;
    const struct KeyName* keyNames;
    const struct KeyName* extendedKeyNames;
    const void* deadKeyNames;
    const Unit* scanToVk;
    Byte scanCount;
    const struct ScanVk* e0;
    const struct ScanVk* e1;
    unsigned localeFlags;
    Byte ligatureMax, ligatureSize;
    const void* ligatures;
    unsigned type, subtype;
};

static const struct VkToBit vkToBit[] = {{0x10, 1}, {0x11, 2}, {0x12, 4}, {0, 0}};
static const struct Modifiers modifiers = {vkToBit, 3, {0, 1, 2, 3}};

/* Keys 16 (scan 0x10, comma and y), 17 (0x11, u and U, Caps Lock) and the space bar. */
static const struct Entry2 twoStates[] = {
    {0xBC, 0, {0x002C, 0x044B}}, {0x57, 1, {0x0443, 0x0423}}, {0x20, 0, {0x0020, 0x0020}}, {0, 0, {0, 0}}};
static const struct CharTable charTables[] = {{twoStates, 2, 6}, {0, 0, 0}};

static const Unit escName[] = {'E', 's', 'c', 0};
static const Unit spaceName[] = {'S', 'p', 'a', 'c', 'e', 0};
static const Unit enterName[] = {'N', 'u', 'm', ' ', 'E', 'n', 't', 'e', 'r', 0};
static const struct KeyName keyNames[] = {{0x01, escName}, {0x39, spaceName}, {0, 0}};
static const struct KeyName extendedKeyNames[] = {{0x1C, enterName}, {0, 0}};

static const Unit scanToVk[0x3A] = {[0x01] = 0x1B, [0x10] = 0xBC, [0x11] = 0x57, [0x39] = 0x20};
static const struct ScanVk e0[] = {{0x1C, 0x010D}, {0, 0}};
static const struct ScanVk e1[] = {{0x1D, 0x0013}, {0, 0}};

static const struct Tables tables = {&modifiers, charTables, 0, keyNames, extendedKeyNames, 0, scanToVk, 0x3A,
                                     e0, e1, 0x00010000, 0, 0, 0, 4, 0};

__declspec(dllexport) const struct Tables* KbdLayerDescriptor(void) { return &tables; }
