/** Several candidate entry points: the runtime's rules pick instance main(String[]) over static main(). */
public class MainChoice {
  static void main() {
    System.out.println("static main() ran");
  }

  void main(String[] args) {
    System.out.println("instance main(String[]) ran with " + args.length + " arguments");
  }
}
