package realapp;

/**
 * A class without any main method. (Avian hands out an instance main for
 * GetStaticMethodID and crashes when it is called, so this one has none.)
 */
public final class NoMain {
    public void start(String[] args) {
    }
}
