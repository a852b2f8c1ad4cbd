// The main form's dialog template (resource 101).
#pragma once

/// Registers the form's template; harmless to call again.
void RegisterMyQuilletForm();
