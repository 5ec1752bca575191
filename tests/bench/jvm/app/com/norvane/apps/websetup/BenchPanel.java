package com.norvane.apps.websetup;

// BenchMain after building a small Swing panel, as an application's main
// does before its first window shows; headless, so no window is made.
public final class BenchPanel {
    private BenchPanel() {}

    public static void main(String[] args) {
        final javax.swing.JPanel panel = new javax.swing.JPanel(new java.awt.BorderLayout());
        panel.add(new javax.swing.JLabel("Tavora"), java.awt.BorderLayout.NORTH);
        panel.add(new javax.swing.JScrollPane(new javax.swing.JList<>(args)));
        panel.add(new javax.swing.JButton("OK"), java.awt.BorderLayout.SOUTH);
        panel.doLayout();
        BenchMain.main(args);
    }
}
