package com.norvane.apps.websetup;

// Entries with the right names and the wrong descriptors: the launcher must
// not find them. Each counts its calls so that a test can tell.
public final class WrongShapes {
    public static int calls;

    private WrongShapes() {}

    public static int main(String[] args) {
        return ++calls;
    }

    public static void toFront(String[] args) {
        ++calls;
    }

    public static int openFiles(String file) {
        return ++calls;
    }
}
