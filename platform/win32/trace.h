// Debug traces: "Class::Method() - text" lines on standard error when TAVORIN_TRACE=1.
#pragma once

/// printf-style; costs one flag test when tracing is off.
void TavorinTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool TavorinTraceEnabled();

#define TRACE(...) TavorinTrace(__VA_ARGS__)
