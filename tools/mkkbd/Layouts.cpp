#include "Layouts.h"

namespace mkkbd {

namespace {

// Windows-1251 bytes, keys in the program's order: digit row with backslash last,
// then the Q, A and Z rows, then the space bar.
constexpr Layout kBds = {{
    {96, 126, false},  {49, 33, false},   {50, 63, false},   {51, 43, false},   {52, 34, false},
    {53, 37, false},   {54, 61, false},   {55, 58, false},   {56, 47, false},   {57, 95, false},
    {48, 185, false},  {45, 73, false},   {46, 86, false},   {40, 41, false},   {44, 251, false},
    {243, 211, true},  {229, 197, true},  {232, 200, true},  {248, 216, true},  {249, 217, true},
    {234, 202, true},  {241, 209, true},  {228, 196, true},  {231, 199, true},  {246, 214, true},
    {59, 167, false},  {252, 220, true},  {255, 223, true},  {224, 192, true},  {238, 206, true},
    {230, 198, true},  {227, 195, true},  {242, 210, true},  {237, 205, true},  {226, 194, true},
    {236, 204, true},  {247, 215, true},  {254, 222, true},  {233, 201, true},  {250, 218, true},
    {253, 221, true},  {244, 212, true},  {245, 213, true},  {239, 207, true},  {240, 208, true},
    {235, 203, true},  {225, 193, true},  {32, 32, false},
}};

constexpr Layout kPhonetic = {{
    {247, 215, true},  {49, 33, false},   {50, 64, false},   {51, 35, false},   {52, 36, false},
    {53, 37, false},   {54, 94, false},   {55, 38, false},   {56, 42, false},   {57, 40, false},
    {48, 41, false},   {45, 95, false},   {61, 43, false},   {254, 222, true},  {255, 223, true},
    {226, 194, true},  {229, 197, true},  {240, 208, true},  {242, 210, true},  {250, 218, true},
    {243, 211, true},  {232, 200, true},  {238, 206, true},  {239, 207, true},  {248, 216, true},
    {249, 217, true},  {224, 192, true},  {241, 209, true},  {228, 196, true},  {244, 212, true},
    {227, 195, true},  {245, 213, true},  {233, 201, true},  {234, 202, true},  {235, 203, true},
    {59, 58, false},   {39, 34, false},   {231, 199, true},  {252, 220, true},  {246, 214, true},
    {230, 198, true},  {225, 193, true},  {237, 205, true},  {236, 204, true},  {44, 60, false},
    {46, 62, false},   {47, 63, false},   {32, 32, false},
}};

}  // namespace

const Layout& BdsLayout() { return kBds; }
const Layout& PhoneticLayout() { return kPhonetic; }

}  // namespace mkkbd
