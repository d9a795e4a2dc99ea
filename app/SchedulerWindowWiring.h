#pragma once

class ApplicationController;
class WinkwellGUI;

// Every connection between the scheduler and the windows: what the scheduler asks the windows to
// show, and the user's choices and answers. The program and the day-long window test share it.
// Automatic connections: queued across the program's threads, direct within one.
void connectSchedulerAndWindows(ApplicationController* controller, WinkwellGUI* gui);
