// What the concurrency test and its writer processes agree on.
#pragma once

/// argv: flag, value-name prefix, number of values, fd of the start pipe's read end.
inline constexpr const char kRegistryWriterFlag[] = "--registry-writer";
inline constexpr const char kWriterKey[] = "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\";
