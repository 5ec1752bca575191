package com.norvane.apps.websetup;

// The application as the launcher's tests see it: it records what each entry
// receives and answers as the test has told it through the static fields.
public final class TavoraLauncher {
    public static int mainCalls;
    public static int toFrontCalls;
    public static int openFilesCalls;

    // The last array each entry received, null until it is called.
    public static String[] mainArgs;
    public static String[] toFrontArgs;
    public static String[] openFilesArgs;

    // What toFront and openFiles return, and whether the entries throw.
    public static int result;
    public static boolean fail;

    private TavoraLauncher() {}

    public static void reset() {
        mainCalls = 0;
        toFrontCalls = 0;
        openFilesCalls = 0;
        mainArgs = null;
        toFrontArgs = null;
        openFilesArgs = null;
        result = 0;
        fail = false;
    }

    public static void main(String[] args) {
        ++mainCalls;
        mainArgs = args;
        failIfTold("main");
    }

    public static int toFront(String[] args) {
        ++toFrontCalls;
        toFrontArgs = args;
        failIfTold("toFront");
        return result;
    }

    public static int openFiles(String[] files) {
        ++openFilesCalls;
        openFilesArgs = files;
        failIfTold("openFiles");
        return result;
    }

    private static void failIfTold(String entry) {
        if (fail) {
            throw new IllegalStateException(entry + " was told to fail");
        }
    }
}
