#ifndef ZORVAT_MATCH_TIMER_H
#define ZORVAT_MATCH_TIMER_H

// Frame timer: the tick times of the latest two Ticks, in milliseconds.
class CTimer {
public:
    // Starts with now at the current tick time and previous at 0.
    CTimer();

    // Moves now to previous and reads the clock into now.
    void Tick();

    float now;
    float previous;
};

#endif
