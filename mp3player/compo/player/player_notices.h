// The notices the player posts to itself on the user-interface thread.
#pragma once

#include <cstdint>

inline constexpr uint32_t MPM_CHANGEPOSITION = 0x40A;
inline constexpr uint32_t MPM_THREADEXCEPTION = 0x40B;  // Value: the session; carries the error.
inline constexpr uint32_t MPM_ENDOFSTREAM = 0x40C;      // Value: the session that ended.
inline constexpr uint32_t MPM_CHANGESTATUS = 0x40E;
inline constexpr uint32_t MPM_ENDPLAY = 0x40F;
inline constexpr uint32_t MPM_EQUALIZER = 0x410;
