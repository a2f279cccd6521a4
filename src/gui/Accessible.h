#pragma once

// What a screen reader is told of the window's own controls: the main window
// is the application's frame, and the progress bar a progress bar with its
// value and its text (Qt knows neither, as both are plain widgets of ours).
// Installed once; later calls do nothing.
void installAccessibleInterfaces();
