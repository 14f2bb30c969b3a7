int Probe();

int main() {
    return Probe() == 0 ? 1 : 0;
}
