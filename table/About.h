#pragma once
// The about screen's two motion rules, apart from the widget so that each can be checked
// on its own: the bounce of a drifting card at the screen's edges and the caption's pulse.

#include <cstdint>

#include "platform/Image32.h"

// The velocity a drifting card leaves the tick with: R is its moved rectangle, V its
// velocity after wandering. Each edge the card has crossed while still heading outwards
// turns that component round at unit speed; the position itself is never clamped.
TFloatPoint AboutBounce(const TFloatRect& R, TFloatPoint V, float Width, float Height);

// One tick of the caption's pulse. Fading (Tag 1) it loses 5 a tick until it reaches the
// 10..20 band, rests there one tick and turns; rising (Tag 0) it gains 5 until within 10
// of full, rests one tick and turns again.
void AboutPulse(uint8_t& Alpha, int& Tag);

// Layer positions on the about screen.
inline constexpr int AboutOutlineCount = 6;
inline constexpr int AboutFirstCardLayer = 6;
inline constexpr int AboutLogoLayer = 58;
inline constexpr int AboutCaptionLayer = 59;
