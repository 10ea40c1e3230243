#pragma once

class DropController;
class GridEditor;
class ListFileCommands;
class MainWindow;
class PositionsCommand;
class PrintCommand;
class SettingsStore;

// The window program's composition root: attaches every subsystem to the main
// window (which knows none of them) and keeps what the user expects to find
// again next time: the title positions, the window's size and place, and the
// folder of the last list file. The table itself is never kept.
class Subsystems
{
public:
    // Owned by the window; `store` (this program's own, not the one of the
    // positions) must outlive it.
    Subsystems(MainWindow &window, SettingsStore &store);

    PositionsCommand *positions = nullptr;
    DropController *drop = nullptr;
    GridEditor *editor = nullptr;
    PrintCommand *print = nullptr;
    ListFileCommands *listFiles = nullptr;
};
