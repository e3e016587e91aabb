package testapp;

/** A class without a static main method. */
public final class NoMain {
    public void main(String[] args) {
    }
}
