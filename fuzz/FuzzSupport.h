#pragma once

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

// What every fuzz target shares: the Qt application object the libraries expect, made once
// before the first input, and quiet diagnostic lines (refused input is logged on every run;
// RAVLO_FUZZ_VERBOSE=1 shows the lines).
namespace FuzzSupport {
void startApplication();
// Posted events and deferred deletes of one input, handled before the next one comes.
void finishInput();
QByteArray bytes(const std::uint8_t* data, std::size_t size);
// The input's lines (LF), for targets that take several texts from one input.
QList<QByteArray> lines(const std::uint8_t* data, std::size_t size);
} // namespace FuzzSupport
