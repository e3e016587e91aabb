package testapp;

/** A class without a main method any runtime runs: its mains are private or return a value. */
public final class NoMain {
    private void main(String[] args) {
    }

    public static int main() {
        return 0;
    }
}
