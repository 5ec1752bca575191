package com.norvane.apps.websetup;

// BenchMain after loading javax.swing.JFrame, as the launcher does before it
// calls main: `java -cp` then does the same work.
public final class BenchMainSwing {
    private BenchMainSwing() {}

    public static void main(String[] args) throws ClassNotFoundException {
        Class.forName("javax.swing.JFrame");
        BenchMain.main(args);
    }
}
