package testapp25;

import testapp.Recorder;

/** A static main() and an instance main(String[]): the runtime picks the one with the arguments. */
public class Both {
    static void main() {
        Recorder.ranBy = "static main()";
    }

    void main(String[] args) {
        Recorder.ranBy = "instance main(String[])";
        Recorder.lastArgs = args;
    }
}
