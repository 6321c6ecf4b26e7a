// An executable that does nothing: the host version tests copy it where the
// plug-in looks for the host's executable, to read its version resource.
int main() {
    return 0;
}
