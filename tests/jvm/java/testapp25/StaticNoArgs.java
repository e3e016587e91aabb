package testapp25;

import testapp.Recorder;

/** A static main without parameters, in a class that is not public. */
class StaticNoArgs {
    static void main() {
        Recorder.ranBy = "static main()";
    }
}
