#pragma once

// Runs every registered test class in a fresh temporary working directory, so the settings
// store (which opens "settings.cfg" in the working directory) never touches a real one.
// The application object is made by the caller: a core or a widget application.
int runRegisteredTests(int argc, char** argv);
