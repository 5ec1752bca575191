package com.norvane.apps.websetup;

// Runs the test application's main, then prints the moment it returned as
// System.nanoTime(), which on Linux reads CLOCK_MONOTONIC: the benchmark
// compares it with the moment it started the process. The time is taken
// before anything is printed.
public final class BenchMain {
    private BenchMain() {}

    public static void main(String[] args) {
        TavoraLauncher.main(args);
        final long returned = System.nanoTime();
        System.out.println(returned);
    }
}
