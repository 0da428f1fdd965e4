#pragma once

namespace kelvanto::ExitCode
{

constexpr int Ok = 0;
constexpr int Failure = 1;
constexpr int Usage = 2;
// A foreground run stopped by Ctrl-C (128 + SIGINT, as shells report it).
constexpr int Interrupted = 130;

} // namespace kelvanto::ExitCode
