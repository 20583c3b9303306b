#pragma once

// The application-wide mouse pointer of the classic runtime: 0 is the default
// pointer, 11 the hourglass.
namespace MousePointer
{

constexpr int Default = 0;
constexpr int Hourglass = 11;

void set(int pointer);
int current();

} // namespace MousePointer
