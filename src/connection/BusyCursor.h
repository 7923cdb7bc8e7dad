#pragma once
// The application's busy feedback: one level of override cursor, set or cleared, never stacked.

namespace velmora::connection {

void showHourglass();
void showArrow();

} // namespace velmora::connection
