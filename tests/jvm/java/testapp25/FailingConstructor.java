package testapp25;

import testapp.Recorder;

/** An instance main whose object cannot be made. */
public class FailingConstructor {
    public FailingConstructor() {
        throw new IllegalStateException("constructor fails");
    }

    void main() {
        Recorder.ranBy = "FailingConstructor";
    }
}
