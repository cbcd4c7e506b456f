#pragma once
// The names of the keys around the 48 layout keys, by set-1 scan code, as every Windows
// layout carries them: in the NT layout libraries and in the layout sources of today.
#include <cstdint>

namespace tastavia {

struct KeyName {
    std::uint8_t scanCode;
    const char* name;
};

inline constexpr KeyName kKeyNames[] = {
    {0x01, "Esc"},       {0x0E, "Backspace"}, {0x0F, "Tab"},         {0x1C, "Enter"},     {0x1D, "Ctrl"},
    {0x2A, "Shift"},     {0x36, "Right Shift"}, {0x37, "Num *"},     {0x38, "Alt"},       {0x39, "Space"},
    {0x3A, "Caps Lock"}, {0x3B, "F1"},        {0x3C, "F2"},          {0x3D, "F3"},        {0x3E, "F4"},
    {0x3F, "F5"},        {0x40, "F6"},        {0x41, "F7"},          {0x42, "F8"},        {0x43, "F9"},
    {0x44, "F10"},       {0x45, "Pause"},     {0x46, "Scroll Lock"}, {0x47, "Num 7"},     {0x48, "Num 8"},
    {0x49, "Num 9"},     {0x4A, "Num -"},     {0x4B, "Num 4"},       {0x4C, "Num 5"},     {0x4D, "Num 6"},
    {0x4E, "Num +"},     {0x4F, "Num 1"},     {0x50, "Num 2"},       {0x51, "Num 3"},     {0x52, "Num 0"},
    {0x53, "Num Del"},   {0x54, "Sys Req"},   {0x57, "F11"},         {0x58, "F12"},
};

inline constexpr KeyName kExtendedKeyNames[] = {
    {0x1C, "Num Enter"}, {0x1D, "Right Ctrl"}, {0x35, "Num /"},      {0x37, "Print Screen"}, {0x38, "Right Alt"},
    {0x45, "Num Lock"},  {0x46, "Break"},      {0x47, "Home"},       {0x48, "Up"},           {0x49, "Page Up"},
    {0x4B, "Left"},      {0x4D, "Right"},      {0x4F, "End"},        {0x50, "Down"},         {0x51, "Page Down"},
    {0x52, "Insert"},    {0x53, "Delete"},     {0x5B, "Left Windows"}, {0x5C, "Right Windows"}, {0x5D, "Application"},
};

}  // namespace tastavia
