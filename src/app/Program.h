#ifndef ZORVAT_APP_PROGRAM_H
#define ZORVAT_APP_PROGRAM_H

#include <SDL.h>

// The program's start-up and its frame loop.
class CProgram {
public:
    // Flips the screen; SDL_Flip unless a test puts its own in.
    static int (*flip)(SDL_Surface* screen);

    // Sets a video mode; SDL_SetVideoMode unless a test puts its own in.
    static SDL_Surface* (*setVideoMode)(int width, int height, int bpp, Uint32 flags);

    // Brings up video in the saved display mode (the window, saved as the mode in force, when
    // the display refuses full HD), names the window and installs the main menu; false when no
    // screen could be opened.
    static bool Start();

    // Runs one pass of the frame loop; -1 to go on, otherwise the exit status.
    static int Pass();

    // Runs passes until the loop ends and returns the exit status.
    static int Run();

    // The whole program: start, run, shut SDL down; returns the exit status (1 when no
    // screen opens).
    static int Main();

    // Opens the video mode of a display mode (1 is full HD, anything else the window) in a
    // window named Zorvat, after shutting down the video of a screen already open (the events
    // queued stay queued); null when SDL cannot give it.
    static SDL_Surface* OpenVideoMode(int fullHd);
};

#endif
