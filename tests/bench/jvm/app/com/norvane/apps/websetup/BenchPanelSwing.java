package com.norvane.apps.websetup;

// BenchPanel after loading javax.swing.JFrame, as the launcher does before
// it calls main.
public final class BenchPanelSwing {
    private BenchPanelSwing() {}

    public static void main(String[] args) throws ClassNotFoundException {
        Class.forName("javax.swing.JFrame");
        BenchPanel.main(args);
    }
}
