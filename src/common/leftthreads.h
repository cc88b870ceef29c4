#ifndef QUORVEX_LEFTTHREADS_H
#define QUORVEX_LEFTTHREADS_H

class QThread;

// Threads that did not end within their owner's limit (a network gone
// silent) and were left to end on their own. Each deletes itself when it
// ends. A program that ends while one still runs must not tear down what that
// thread may still touch (Qt's connection registry, the toolkit's statics):
// it ends at once instead, everything of its own already stored.
class TLeftThreads
{
public:
    // Takes THREAD (still running, without a parent) into the count.
    static void Leave(QThread *thread);
    // How many still run.
    static int Running();
    // The end of a program's main: when one still runs, the process ends here
    // with CODE, before the statics are torn down.
    static void Exit_If_Running(int code);
};

#endif
